#include "sys/calls_posix.hpp"

#include <cerrno>
#include <vector>

#include "common/system_error.hpp"
#include "common/error.hpp"
#include "common/utf8.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/folder_walk_posix.hpp"
#include "fs/kernel_copy_posix.hpp"
#include "fs/link_check_messages.hpp"
#include "fs/path_forms.hpp"
#include "fs/tree_copy.hpp"

namespace tavo::fs {
namespace {

// Every source entry is opened relative to the folder that listed it and without following a link
// (O_NOFOLLOW), so an entry swapped for a link after the link check fails with ELOOP instead of leading out
// of the tree: there is no moment in which a link is followed.
constexpr int kNoFollow = O_NOFOLLOW;

// Creates the folder `name` in `dir` (an existing folder is accepted) and opens it into `folder`; a link there
// is refused.
std::error_code make_folder(int dir, const char* name, posix::UniqueFd& folder) noexcept {
  if (sys::mkdirat(dir, name, 0777) != 0 && errno != EEXIST) return last_system_error();
  folder.reset(sys::openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  return folder ? std::error_code() : last_system_error();
}

// The entry's own kind into `type`, links not followed; the listing's type saves a stat call.
std::error_code own_type(int dir, const dirent& entry, mode_t& type) noexcept {
  switch (entry.d_type) {
    case DT_DIR:
      type = S_IFDIR;
      return {};
    case DT_REG:
      type = S_IFREG;
      return {};
    case DT_LNK:
      type = S_IFLNK;
      return {};
    default:
      break;
  }
  struct stat status {};
  if (sys::fstatat(dir, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) return last_system_error();
  type = status.st_mode & S_IFMT;
  return {};
}

class CopyingVisitor {
 public:
  CopyingVisitor(posix::UniqueFd destination_root, const Path& from, const Path& to) : from_(from), to_(to) {
    destinations_.push_back(std::move(destination_root));
  }

  bool visit(int source_dir, const dirent& entry) {
    const int destination_dir = destinations_.back().get();
    mode_t type = 0;
    if (const std::error_code error = own_type(source_dir, entry, type)) fail(error);
    if (type == S_IFLNK) throw Error(link_check::linked_entry);
    if (type == S_IFDIR) {
      posix::UniqueFd folder;
      if (const std::error_code error = make_folder(destination_dir, entry.d_name, folder)) fail(error);
      destinations_.push_back(std::move(folder));
      return true;  // the walk opens it with O_NOFOLLOW
    }
    // Neither folder nor file (a FIFO, a device): the file copy refuses it rather than block or read forever.
    if (const std::error_code error =
            posix_copy::copy_to_new_file(source_dir, entry.d_name, destination_dir, entry.d_name, kNoFollow)) {
      fail(error);
    }
    return false;
  }

  void leave() noexcept { destinations_.pop_back(); }

  // ELOOP: the entry was swapped for a link between its listing and its opening.
  [[noreturn]] void fail(const std::error_code& error) const {
    if (error == std::errc::too_many_symbolic_link_levels) throw Error(link_check::linked_entry);
    throw FileSystemError("copy", error, from_, to_);
  }

 private:
  const Path& from_;
  const Path& to_;
  std::vector<posix::UniqueFd> destinations_;
};

}  // namespace

void copy_tree(const Path& from, const Path& to) {
  const Path f = long_path_form(from);
  const Path t = long_path_form(to);
  // Without trailing separators: O_NOFOLLOW would follow a link named "link/".
  const std::string source = utf8_from_wide(without_trailing_separators(f).text());
  const std::string destination = utf8_from_wide(t.text());
  auto fail = [&f, &t](const std::error_code& error) {
    if (error == std::errc::too_many_symbolic_link_levels) throw Error(link_check::linked_root);
    throw FileSystemError("copy", error, f, t);
  };

  struct stat status {};
  if (sys::lstat(source.c_str(), &status) != 0) fail(last_system_error());
  if (S_ISLNK(status.st_mode)) throw Error(link_check::linked_root);
  if (!S_ISDIR(status.st_mode)) {
    if (const std::error_code error =
            posix_copy::copy_to_new_file(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), kNoFollow)) {
      fail(error);
    }
    return;
  }
  posix::UniqueFd destination_root;
  if (const std::error_code error = make_folder(AT_FDCWD, destination.c_str(), destination_root)) fail(error);
  posix::UniqueDir listing;
  if (const std::error_code error = posix_walk::open_folder(AT_FDCWD, source.c_str(), kNoFollow, listing)) {
    fail(error);
  }
  CopyingVisitor visitor(std::move(destination_root), f, t);
  posix_walk::walk(std::move(listing), visitor, kNoFollow);
}

}  // namespace tavo::fs
