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
  bool strict = false;
  bool found = false;
  bool visit(int dir, const dirent& entry) {
    struct stat status {};
    if (sys::fstatat(dir, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
      if (strict) fail(last_system_error());
      return false;
    }
    if (!S_ISDIR(status.st_mode)) return false;
    found = found || posix_identity::of_status(status) == wanted;
    return !found;
  }
  void leave() const noexcept {}
  // A folder that cannot be listed ends the search: found or not, with the failure.
  struct Skipped {
    std::error_code error;
  };
  [[noreturn]] void fail(const std::error_code& error) const { throw Skipped{error}; }
};

}  // namespace

// Up through ".." and down through the tree. Not strict, a parent that cannot be opened ends the way up and a
// folder that cannot be listed the way down.
std::error_code detail::search_on_disk(const HeldFolder& folder, const HeldFolder& tree, bool strict, bool& within) {
  within = false;
  FileIdentity wanted;
  FileIdentity top;
  if (const std::error_code error = folder.identity(wanted)) return error;
  if (const std::error_code error = tree.identity(top)) return error;
  // Up through "..": the physical parents, whichever links led down here.
  posix::UniqueFd current(sys::openat(static_cast<int>(folder.native()), ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
  struct stat here {};
  if (!current || sys::fstat(current.get(), &here) != 0) return last_system_error();
  for (;;) {
    if (posix_identity::of_status(here) == top) return (within = true, std::error_code());
    posix::UniqueFd up(sys::openat(current.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat above {};
    if (!up || sys::fstat(up.get(), &above) != 0) {
      if (strict) return last_system_error();
      break;
    }
    if (posix_identity::of_status(above) == posix_identity::of_status(here)) break;  // the root
    current = std::move(up);
    here = above;
  }
  // Down through the tree: a folder of it mounted elsewhere has other parents.
  posix::UniqueDir listing;
  if (const std::error_code error = posix_walk::open_folder(static_cast<int>(tree.native()), ".", 0, listing)) return error;
  IdentitySearch search{wanted, strict};
  try {
    posix_walk::walk(std::move(listing), search, O_NOFOLLOW);
  } catch (const IdentitySearch::Skipped& skipped) {
    within = search.found;
    return skipped.error;
  }
  within = search.found;
  return {};
}

}  // namespace tavo::fs
