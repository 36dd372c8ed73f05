#include <windows.h>

#include "common/code_page.hpp"

namespace tavo {

std::string narrow_in_code_page(std::wstring_view wide, unsigned code_page) {
  if (wide.empty()) return {};
  const DWORD flags = narrowing_flags(code_page);
  const int size = static_cast<int>(wide.size());
  const int needed = ::WideCharToMultiByte(code_page, flags, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string out(static_cast<std::size_t>(needed), '\0');
  if (::WideCharToMultiByte(code_page, flags, wide.data(), size, out.data(), needed, nullptr, nullptr) != needed) {
    return {};
  }
  return out;
}

std::string narrow_for_file_api(std::wstring_view wide) {
  // The code page's number, not CP_ACP: the flags depend on which code page that is (65001 on a UTF-8 system).
  return narrow_in_code_page(wide, ::AreFileApisANSI() ? ::GetACP() : ::GetOEMCP());
}

}  // namespace tavo
