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

// Creates the folder `name` in `dir` (an existing folder is accepted) and opens it; a link there is refused.
posix::UniqueFd make_folder(int dir, const char* name, int& error) noexcept {
  if (sys::mkdirat(dir, name, 0777) != 0 && errno != EEXIST) {
    error = errno;
    return posix::UniqueFd();
  }
  posix::UniqueFd folder(
      sys::openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  error = folder ? 0 : errno;
  return folder;
}

// The entry's own kind, links not followed; the listing's type saves a stat call.
mode_t own_type(int dir, const dirent& entry, int& error) noexcept {
  switch (entry.d_type) {
    case DT_DIR:
      return S_IFDIR;
    case DT_REG:
      return S_IFREG;
    case DT_LNK:
      return S_IFLNK;
    default:
      break;
  }
  struct stat status {};
  if (sys::fstatat(dir, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
    error = errno;
    return 0;
  }
  return status.st_mode & S_IFMT;
}

class CopyingVisitor {
 public:
  CopyingVisitor(posix::UniqueFd destination_root, const Path& from, const Path& to) : from_(from), to_(to) {
    destinations_.push_back(std::move(destination_root));
  }

  bool visit(int source_dir, const dirent& entry) {
    const int destination_dir = destinations_.back().get();
    int error = 0;
    const mode_t type = own_type(source_dir, entry, error);
    if (error != 0) fail(error);
    if (type == S_IFLNK) throw Error(link_check::linked_entry);
    if (type == S_IFDIR) {
      posix::UniqueFd folder = make_folder(destination_dir, entry.d_name, error);
      if (error != 0) fail(error);
      destinations_.push_back(std::move(folder));
      return true;  // the walk opens it with O_NOFOLLOW
    }
    // Neither folder nor file (a FIFO, a device): the file copy refuses it rather than block or read forever.
    error = posix_copy::copy_to_new_file(source_dir, entry.d_name, destination_dir, entry.d_name, kNoFollow);
    if (error != 0) fail(error);
    return false;
  }

  void leave() noexcept { destinations_.pop_back(); }

  // ELOOP: the entry was swapped for a link between its listing and its opening.
  [[noreturn]] void fail(int error) const {
    if (error == ELOOP) throw Error(link_check::linked_entry);
    throw FileSystemError("copy", system_error_code(error), from_, to_);
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
  auto fail = [&f, &t](int error) {
    if (error == ELOOP) throw Error(link_check::linked_root);
    throw FileSystemError("copy", system_error_code(error), f, t);
  };

  struct stat status {};
  if (sys::lstat(source.c_str(), &status) != 0) fail(errno);
  if (S_ISLNK(status.st_mode)) fail(ELOOP);
  if (!S_ISDIR(status.st_mode)) {
    if (const int error =
            posix_copy::copy_to_new_file(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), kNoFollow)) {
      fail(error);
    }
    return;
  }
  int error = 0;
  posix::UniqueFd destination_root = make_folder(AT_FDCWD, destination.c_str(), error);
  if (error != 0) fail(error);
  posix::UniqueDir listing = posix_walk::open_folder(AT_FDCWD, source.c_str(), kNoFollow);
  if (!listing) fail(errno);
  CopyingVisitor visitor(std::move(destination_root), f, t);
  posix_walk::walk(std::move(listing), visitor, kNoFollow);
}

}  // namespace tavo::fs
