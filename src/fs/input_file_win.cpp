#include "sys/calls_win.hpp"

#include <algorithm>
#include <string>

#include "fs/file_copy_win.hpp"
#include "fs/input_file.hpp"
#include "fs/path_forms.hpp"

namespace tavo::fs {
namespace {

HANDLE as_handle(std::intptr_t value) noexcept { return reinterpret_cast<HANDLE>(value); }

}  // namespace

void InputFileTraits::close(type handle) noexcept { sys::CloseHandle(as_handle(handle)); }

std::optional<InputFile> InputFile::open(const Path& path) {
  if (path.has_embedded_nul()) return std::nullopt;
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened.
  const HANDLE handle =
      sys::CreateFileW(system_path_text(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  InputFile file(reinterpret_cast<std::intptr_t>(handle));
  // Devices and pipes open as well (a name like "NUL" or "\\.\pipe\x"); only a file on disk is read.
  if (sys::GetFileType(handle) != FILE_TYPE_DISK) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!sys::GetFileInformationByHandle(handle, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  return file;
}

std::optional<InputFile> InputFile::open_at(const HeldFolder& folder, std::wstring_view name, std::error_code& error) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  const std::wstring path = long_path_text(join(folder.path(), name).text());
  if ((error = win_copy::open_source(path.c_str(), handle))) return std::nullopt;
  return InputFile(reinterpret_cast<std::intptr_t>(handle));
}

std::optional<std::size_t> InputFile::read(unsigned char* buffer, std::size_t size) noexcept {
  const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
  DWORD count = 0;
  if (!sys::ReadFile(as_handle(handle_.get()), buffer, wanted, &count, nullptr))
    return std::nullopt;
  return static_cast<std::size_t>(count);
}

}  // namespace tavo::fs
