#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "common/utf8.hpp"
#include "fs/file_status.hpp"
#include "fs/filesystem_error.hpp"

namespace tavo::fs {
namespace {

// A NUL inside the text would cut the name short at the system call: such a path names nothing.
bool has_embedded_nul(const Path& path) { return path.text().find(L'\0') != std::wstring::npos; }

}  // namespace

bool is_not_found_error(int code) noexcept { return code == ENOENT || code == ENOTDIR; }

FileType status(const Path& path) {
  if (has_embedded_nul(path)) return FileType::not_found;
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
  if (has_embedded_nul(path)) return false;
  struct stat info {};
  if (::lstat(utf8_from_wide(path.text()).c_str(), &info) == 0) return true;
  const int code = errno;
  if (is_not_found_error(code)) return false;
  throw FileSystemError("exists", code, path);
}

}  // namespace tavo::fs
