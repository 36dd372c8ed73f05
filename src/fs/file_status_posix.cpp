#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "common/utf8.hpp"
#include "fs/file_status.hpp"
#include "fs/filesystem_error.hpp"

namespace tavo::fs {

bool is_not_found_error(int code) noexcept { return code == ENOENT || code == ENOTDIR; }

FileType status(const Path& path) {
  if (path.has_embedded_nul()) return FileType::not_found;
  struct stat info {};
  if (::stat(utf8_from_wide(path.text()).c_str(), &info) != 0) {
    const int code = errno;
    if (is_not_found_error(code)) return FileType::not_found;
    throw FileSystemError("status", code, path);
  }
  if (S_ISREG(info.st_mode)) return FileType::regular;
  if (S_ISDIR(info.st_mode)) return FileType::directory;
  return FileType::other;
}

bool exists(const Path& path) {
  if (path.has_embedded_nul()) return false;
  struct stat info {};
  if (::lstat(utf8_from_wide(path.text()).c_str(), &info) == 0) return true;
  const int code = errno;
  if (is_not_found_error(code)) return false;
  throw FileSystemError("exists", code, path);
}

}  // namespace tavo::fs
