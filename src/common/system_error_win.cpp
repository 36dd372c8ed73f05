#include <windows.h>

#include "common/code_page.hpp"
#include "common/system_error.hpp"
#include "common/local_memory_win.hpp"

namespace tavo {
namespace {

std::wstring format_message(DWORD code, DWORD language) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const win::UniqueLocalMemory owner(buffer);
  std::wstring text;
  if (length > 0 && buffer != nullptr) text.assign(buffer, length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  return text;
}

}  // namespace

std::error_code last_system_error() noexcept { return system_error_code(static_cast<int>(::GetLastError())); }

void set_last_system_error(int code) noexcept { ::SetLastError(static_cast<DWORD>(code)); }

std::string system_error_description(int code) {
  const DWORD dword_code = static_cast<DWORD>(code);
  // The result file is English; fall back to the user's language where no English table is installed.
  std::wstring text = format_message(dword_code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  if (text.empty()) text = format_message(dword_code, 0);
  if (text.empty()) return "Unknown error " + std::to_string(dword_code);
  return narrow_for_file_api(text);
}

namespace detail {

std::error_condition portable_condition(int code) noexcept {
  // The Windows codes that the program meets, on the standard's conditions; the rest keep their own value.
  switch (static_cast<DWORD>(code)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return std::errc::no_such_file_or_directory;
    case ERROR_ACCESS_DENIED:
      return std::errc::permission_denied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return std::errc::device_or_resource_busy;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return std::errc::file_exists;
    case ERROR_DIRECTORY:
      return std::errc::not_a_directory;
    case ERROR_DIR_NOT_EMPTY:
      return std::errc::directory_not_empty;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::errc::no_space_on_device;
    case ERROR_NOT_SAME_DEVICE:
      return std::errc::cross_device_link;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
    case ERROR_INVALID_FLAGS:
      return std::errc::invalid_argument;
    case ERROR_FILENAME_EXCED_RANGE:
      return std::errc::filename_too_long;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return std::errc::not_enough_memory;
    case ERROR_NO_UNICODE_TRANSLATION:
      return std::errc::illegal_byte_sequence;
    default:
      return {code, system_category()};
  }
}

bool matches(int code, ErrorCondition condition) noexcept {
  const DWORD c = static_cast<DWORD>(code);
  switch (condition) {
    case ErrorCondition::not_found:
      return c == ERROR_FILE_NOT_FOUND || c == ERROR_PATH_NOT_FOUND || c == ERROR_INVALID_NAME ||
             c == ERROR_DIRECTORY ||  // Windows 11 24H2, for a path that runs through a file
             c == ERROR_INVALID_DRIVE || c == ERROR_BAD_NETPATH || c == ERROR_BAD_NET_NAME;
    case ErrorCondition::missing_parent:
      return c == ERROR_PATH_NOT_FOUND || c == ERROR_FILE_NOT_FOUND;
    case ErrorCondition::transient_rename:
      return c == ERROR_ACCESS_DENIED || c == ERROR_SHARING_VIOLATION;
  }
  return false;
}

}  // namespace detail
}  // namespace tavo
