#include <windows.h>

#include "fs/directory_primitives.hpp"
#include "fs/file_copy_win.hpp"
#include "fs/file_operations.hpp"
#include "fs/filesystem_error.hpp"

namespace tavo::fs {

namespace detail {

int make_directory(const Path& path) noexcept {
  return ::CreateDirectoryW(path.text().c_str(), nullptr) ? 0 : last_system_error();
}

bool is_directory(const Path& path) noexcept {
  const DWORD attributes = ::GetFileAttributesW(path.text().c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool is_missing_parent_error(int code) noexcept { return code == ERROR_PATH_NOT_FOUND || code == ERROR_FILE_NOT_FOUND; }
bool is_already_exists_error(int code) noexcept { return code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS; }
int not_found_error() noexcept { return ERROR_PATH_NOT_FOUND; }

}  // namespace detail

void copy_file(const Path& from, const Path& to, bool overwrite) {
  if (const DWORD error = win_copy::copy_writable_file(from.text().c_str(), to.text().c_str(), !overwrite)) {
    throw FileSystemError("copy_file", static_cast<int>(error), from, to);
  }
}

int rename_without_replace(const Path& from, const Path& to) noexcept {
  // No MOVEFILE_REPLACE_EXISTING: a file that appeared at the target name is someone else's and must stay.
  // Anything at `to` then fails the rename with ERROR_ALREADY_EXISTS.
  return ::MoveFileExW(from.text().c_str(), to.text().c_str(), MOVEFILE_COPY_ALLOWED) ? 0 : last_system_error();
}

bool is_transient_rename_error(int code) noexcept {
  return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
}

}  // namespace tavo::fs
