#include "sys/calls_win.hpp"

#include "common/system_error.hpp"
#include "fs/file_copy_win.hpp"
#include "fs/file_operations.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/path_forms.hpp"

namespace tavo::fs {

namespace detail {

std::error_code make_directory(const Path& path) {
  return sys::CreateDirectoryW(system_path_text(path).c_str(), nullptr)
             ? std::error_code()
             : last_system_error();
}

bool is_directory(const Path& path) {
  const DWORD attributes = sys::GetFileAttributesW(system_path_text(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::error_code not_found_code() noexcept { return system_error_code(ERROR_PATH_NOT_FOUND); }

}  // namespace detail

void copy_file(const Path& from, const Path& to, bool overwrite) {
  const std::wstring source = system_path_text(from);
  const std::wstring destination = system_path_text(to);
  const std::error_code error = overwrite ? win_copy::copy_file_over(source.c_str(), destination.c_str(), nullptr)
                                          : win_copy::copy_file_from(source.c_str(), destination.c_str(), nullptr);
  if (error) throw FileSystemError("copy_file", error, from, to);
}

}  // namespace tavo::fs
