#include "sys/calls_posix.hpp"

#include <cerrno>

#include "sys/handles_posix.hpp"
#include "common/system_error.hpp"
#include "fs/containment.hpp"
#include "fs/file_identity_posix.hpp"
#include "fs/folder_walk_posix.hpp"

namespace tavo::fs {
namespace {

// Lists a tree's folders, links not entered, until one has the wanted identity.
struct IdentitySearch {
  FileIdentity wanted;
  bool found = false;
  bool visit(int dir, const dirent& entry) {
    struct stat status {};
    if (sys::fstatat(dir, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(status.st_mode)) return false;
    found = found || posix_identity::of_status(status) == wanted;
    return !found;
  }
  void leave() const noexcept {}
  // A folder that cannot be listed cannot receive anything through this search either.
  struct Skipped {};
  [[noreturn]] void fail(const std::error_code&) const { throw Skipped{}; }
};

}  // namespace

bool lies_within_on_disk(const HeldFolder& folder, const HeldFolder& tree) {
  FileIdentity wanted;
  FileIdentity top;
  if (folder.identity(wanted) || tree.identity(top)) return false;
  // Up through "..": the physical parents, whichever links led down here.
  posix::UniqueFd current(sys::openat(static_cast<int>(folder.native()), ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
  struct stat here {};
  if (!current || sys::fstat(current.get(), &here) != 0) return false;
  for (;;) {
    if (posix_identity::of_status(here) == top) return true;
    posix::UniqueFd up(sys::openat(current.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat above {};
    if (!up || sys::fstat(up.get(), &above) != 0 || posix_identity::of_status(above) == posix_identity::of_status(here)) break;
    current = std::move(up);
    here = above;
  }
  // Down through the tree: a folder of it mounted elsewhere has other parents.
  posix::UniqueDir listing;
  if (posix_walk::open_folder(static_cast<int>(tree.native()), ".", 0, listing)) return false;
  IdentitySearch search{wanted};
  try {
    posix_walk::walk(std::move(listing), search, O_NOFOLLOW);
  } catch (const IdentitySearch::Skipped&) {
    // Only what was searched counts.
  }
  return search.found;
}

}  // namespace tavo::fs
