#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "common/utf8.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/folder_walk_posix.hpp"
#include "fs/kernel_copy_posix.hpp"
#include "fs/path_forms.hpp"
#include "fs/tree_copy.hpp"

namespace tavo::fs {
namespace {

// Creates the folder `name` in `dir` (an existing folder is accepted) and opens it; a link there is refused.
posix::UniqueFd make_folder(int dir, const char* name, int& error) noexcept {
  if (::mkdirat(dir, name, 0777) != 0 && errno != EEXIST) {
    error = errno;
    return posix::UniqueFd();
  }
  posix::UniqueFd folder(::openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  error = folder ? 0 : errno;
  return folder;
}

// The kind of an entry after following links; the listing's type saves a stat call for plain entries.
mode_t followed_type(int dir, const dirent& entry, int& error) noexcept {
  if (entry.d_type == DT_DIR) return S_IFDIR;
  if (entry.d_type == DT_REG) return S_IFREG;
  struct stat status {};
  if (::fstatat(dir, entry.d_name, &status, 0) != 0) {
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
    const mode_t type = followed_type(source_dir, entry, error);
    if (error != 0) fail(error);
    if (type == S_IFDIR) {
      posix::UniqueFd folder = make_folder(destination_dir, entry.d_name, error);
      if (error != 0) fail(error);
      destinations_.push_back(std::move(folder));
      return true;
    }
    // Neither folder nor file (a FIFO, a device): the file copy refuses it rather than block or read forever.
    error = posix_copy::copy_to_new_file(source_dir, entry.d_name, destination_dir, entry.d_name);
    if (error != 0) fail(error);
    return false;
  }

  void leave() noexcept { destinations_.pop_back(); }

  [[noreturn]] void fail(int error) const { throw FileSystemError("copy", error, from_, to_); }

 private:
  const Path& from_;
  const Path& to_;
  std::vector<posix::UniqueFd> destinations_;
};

}  // namespace

void copy_tree(const Path& from, const Path& to) {
  const Path f = long_path_form(from);
  const Path t = long_path_form(to);
  const std::string source = utf8_from_wide(f.text());
  const std::string destination = utf8_from_wide(t.text());
  auto fail = [&f, &t](int error) { throw FileSystemError("copy", error, f, t); };

  struct stat status {};
  if (::stat(source.c_str(), &status) != 0) fail(errno);
  if (!S_ISDIR(status.st_mode)) {
    if (const int error = posix_copy::copy_to_new_file(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str())) {
      fail(error);
    }
    return;
  }
  int error = 0;
  posix::UniqueFd destination_root = make_folder(AT_FDCWD, destination.c_str(), error);
  if (error != 0) fail(error);
  posix::UniqueDir listing = posix_walk::open_folder(AT_FDCWD, source.c_str(), 0);
  if (!listing) fail(errno);
  CopyingVisitor visitor(std::move(destination_root), f, t);
  posix_walk::walk(std::move(listing), visitor, 0);
}

}  // namespace tavo::fs
