#include "sys/calls_win.hpp"

#include "common/system_error.hpp"
#include "fs/file_copy_win.hpp"
#include "fs/file_operations.hpp"
#include "fs/filesystem_error.hpp"

namespace tavo::fs {

namespace detail {

std::error_code make_directory(const Path& path) {
  return sys::CreateDirectoryW(path.text().c_str(), nullptr)
             ? std::error_code()
             : last_system_error();
}

bool is_directory(const Path& path) {
  const DWORD attributes = sys::GetFileAttributesW(path.text().c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::error_code not_found_code() noexcept { return system_error_code(ERROR_PATH_NOT_FOUND); }

}  // namespace detail

void copy_file(const Path& from, const Path& to, bool overwrite) {
  if (const std::error_code error = win_copy::copy_writable_file(from.text().c_str(), to.text().c_str(), !overwrite)) {
    throw FileSystemError("copy_file", error, from, to);
  }
}

std::error_code rename_without_replace(const Path& from, const Path& to) {
  // No MOVEFILE_REPLACE_EXISTING: a file that appeared at the target name is someone else's and must stay.
  // Anything at `to` then fails the rename with ERROR_ALREADY_EXISTS. MOVEFILE_WRITE_THROUGH: the rename is
  // on disk when it returns.
  if (sys::MoveFileExW(from.text().c_str(), to.text().c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
    return {};
  return last_system_error();
}

}  // namespace tavo::fs
