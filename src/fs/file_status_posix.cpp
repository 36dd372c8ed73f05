#include "sys/calls_posix.hpp"

#include <cerrno>
#include <string>

#include "common/system_error.hpp"
#include "common/utf8.hpp"
#include "fs/file_status.hpp"
#include "fs/filesystem_error.hpp"

namespace tavo::fs {

FileType status(const Path& path) {
  if (path.has_embedded_nul()) return FileType::not_found;
  struct stat info {};
  if (sys::stat(utf8_from_wide(path.text()).c_str(), &info) != 0) {
    const std::error_code code = last_system_error();
    if (code == ErrorCondition::not_found) return FileType::not_found;
    throw FileSystemError("status", code, path);
  }
  if (S_ISREG(info.st_mode)) return FileType::regular;
  if (S_ISDIR(info.st_mode)) return FileType::directory;
  return FileType::other;
}

bool exists(const Path& path) {
  if (path.has_embedded_nul()) return false;
  struct stat info {};
  if (sys::lstat(utf8_from_wide(path.text()).c_str(), &info) == 0) return true;
  const std::error_code code = last_system_error();
  if (code == ErrorCondition::not_found) return false;
  throw FileSystemError("exists", code, path);
}

}  // namespace tavo::fs
