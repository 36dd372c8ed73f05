#include <windows.h>

#include "fs/code_page.hpp"
#include "fs/filesystem_error.hpp"

namespace tavo::fs {
namespace {

std::string narrow_for_file_api(const std::wstring& wide) {
  // The code page's number, not CP_ACP: the flags depend on which code page that is (65001 on a UTF-8 system).
  return narrow_in_code_page(wide, ::AreFileApisANSI() ? ::GetACP() : ::GetOEMCP());
}

std::wstring format_message(DWORD code, DWORD language) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text;
  if (length > 0 && buffer != nullptr) text.assign(buffer, length);
  if (buffer != nullptr) ::LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  return text;
}

}  // namespace

std::string system_error_description(int code) {
  const DWORD dword_code = static_cast<DWORD>(code);
  // The result file is English; fall back to the user's language where no English table is installed.
  std::wstring text = format_message(dword_code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  if (text.empty()) text = format_message(dword_code, 0);
  if (text.empty()) return "Unknown error " + std::to_string(dword_code);
  return narrow_for_file_api(text);
}

std::string narrow_for_message(const Path& path) { return narrow_for_file_api(path.text()); }

int last_system_error() noexcept { return static_cast<int>(::GetLastError()); }

}  // namespace tavo::fs
