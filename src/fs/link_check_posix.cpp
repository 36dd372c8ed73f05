#include "sys/calls_posix.hpp"

#include <cerrno>
#include <string>
#include <vector>

#include "common/system_error.hpp"
#include "common/error.hpp"
#include "common/run_log.hpp"
#include "common/utf8.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/folder_walk_posix.hpp"
#include "fs/link_check.hpp"
#include "fs/link_check_messages.hpp"
#include "fs/path_forms.hpp"

namespace tavo::fs {
namespace {

// Knows where in the tree the walk is (the folders entered), so that the log can name a link's path.
struct LinkRefusingVisitor {
  const Path& root;
  std::vector<std::string> folders;

  bool visit(int dir, const dirent& entry) {
    // An entry whose status cannot be read may be a link: it is refused as one.
    struct stat status {};
    if (sys::fstatat(dir, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 || S_ISLNK(status.st_mode)) {
      note_link(entry.d_name);
      throw Error(link_check::linked_entry);
    }
    if (S_ISDIR(status.st_mode)) folders.emplace_back(entry.d_name);
    return S_ISDIR(status.st_mode);
  }
  void leave() noexcept { folders.pop_back(); }

  void note_link(const char* name) const {
    if (!run_log::active()) return;
    std::string relative;
    for (const std::string& folder : folders) relative += folder + "/";
    relative += name;
    run_log::note(std::string("Link check: first link (or unreadable entry) found: ") +
                  run_log::quoted(wide_from_utf8(relative)) + " below " + run_log::quoted(root.text()));
  }
  // ELOOP: a folder became a link after its test.
  [[noreturn]] void fail(const std::error_code& error) const {
    if (error == std::errc::too_many_symbolic_link_levels) throw Error(link_check::linked_entry);
    throw FileSystemError(link_check::advance_walk, error);
  }
};

}  // namespace

void refuse_linked_tree(const Path& root) {
  const Path r = long_path_form(root);
  // Without trailing separators: lstat and O_NOFOLLOW would follow a link named "link/".
  const std::string name = utf8_from_wide(without_trailing_separators(r).text());
  struct stat status {};
  if (sys::lstat(name.c_str(), &status) != 0 || S_ISLNK(status.st_mode)) {
    run_log::note("Link check: the folder is a link, missing or unreadable: " + run_log::quoted(r.text()));
    throw Error(link_check::linked_root);
  }

  posix::UniqueDir listing;
  if (const std::error_code error = posix_walk::open_folder(AT_FDCWD, name.c_str(), O_NOFOLLOW, listing)) {
    throw FileSystemError(link_check::open_walk, error, r);
  }
  LinkRefusingVisitor visitor{root, {}};
  // O_NOFOLLOW: a folder that became a link after its test is not entered.
  posix_walk::walk(std::move(listing), visitor, O_NOFOLLOW);
}

void refuse_linked_tree(const HeldFolder& root) {
  posix::UniqueDir listing;
  if (const std::error_code error =
          posix_walk::open_folder(static_cast<int>(root.native()), ".", 0, listing)) {
    throw FileSystemError(link_check::open_walk, error, root.path());
  }
  LinkRefusingVisitor visitor{root.path(), {}};
  posix_walk::walk(std::move(listing), visitor, O_NOFOLLOW);
}

}  // namespace tavo::fs
