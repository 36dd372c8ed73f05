#include <windows.h>

#include <limits>

#include "common/error.hpp"
#include "common/system_error.hpp"
#include "verify/manifest_names.hpp"

namespace tavo::verify {
namespace {

// Strict conversion: a sequence that is invalid in the code page raises with the system's text.
std::wstring wide_from_code_page(UINT code_page, std::string_view name) {
  if (name.empty()) return {};
  if (name.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    throw SystemError(system_error_code(ERROR_INVALID_PARAMETER));
  }
  const int size = static_cast<int>(name.size());
  const int needed = ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, name.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(needed > 0 ? needed : 0), L'\0');
  if (needed <= 0 ||
      ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, name.data(), size, wide.data(), needed) != needed) {
    throw SystemError(last_system_error());
  }
  return wide;
}

}  // namespace

std::wstring wide_from_narrow_file_name(std::string_view name) { return wide_from_code_page(CP_ACP, name); }

std::wstring wide_from_utf8_file_name(std::string_view name) { return wide_from_code_page(CP_UTF8, name); }

std::wstring with_file_call_separators(std::wstring name) { return name; }

}  // namespace tavo::verify
