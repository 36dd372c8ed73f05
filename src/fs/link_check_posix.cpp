#include "sys/calls_posix.hpp"

#include <cerrno>

#include "common/system_error.hpp"
#include "common/error.hpp"
#include "common/utf8.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/folder_walk_posix.hpp"
#include "fs/link_check.hpp"
#include "fs/link_check_messages.hpp"
#include "fs/path_forms.hpp"

namespace tavo::fs {
namespace {

struct LinkRefusingVisitor {
  bool visit(int dir, const dirent& entry) const {
    // An entry whose status cannot be read may be a link: it is refused as one.
    struct stat status {};
    if (sys::fstatat(dir, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 || S_ISLNK(status.st_mode)) {
      throw Error(link_check::linked_entry);
    }
    return S_ISDIR(status.st_mode);
  }
  void leave() const noexcept {}
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
  if (sys::lstat(name.c_str(), &status) != 0 || S_ISLNK(status.st_mode))
    throw Error(link_check::linked_root);

  posix::UniqueDir listing;
  if (const std::error_code error = posix_walk::open_folder(AT_FDCWD, name.c_str(), O_NOFOLLOW, listing)) {
    throw FileSystemError(link_check::open_walk, error, r);
  }
  LinkRefusingVisitor visitor;
  // O_NOFOLLOW: a folder that became a link after its test is not entered.
  posix_walk::walk(std::move(listing), visitor, O_NOFOLLOW);
}

void refuse_linked_tree(const HeldFolder& root) {
  posix::UniqueDir listing;
  if (const std::error_code error =
          posix_walk::open_folder(static_cast<int>(root.native()), ".", 0, listing)) {
    throw FileSystemError(link_check::open_walk, error, root.path());
  }
  LinkRefusingVisitor visitor;
  posix_walk::walk(std::move(listing), visitor, O_NOFOLLOW);
}

}  // namespace tavo::fs
