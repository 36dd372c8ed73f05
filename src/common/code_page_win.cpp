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

std::optional<std::string> exact_in_code_page(std::wstring_view wide, unsigned code_page) {
  if (wide.empty()) return std::string();
  // WC_NO_BEST_FIT_CHARS and lpUsedDefaultChar report what the code page lacks; UTF-7 and UTF-8 take neither
  // (lpUsedDefaultChar must be NULL there), and UTF-8 reports an unpaired surrogate with WC_ERR_INVALID_CHARS.
  const bool utf = code_page == CP_UTF7 || code_page == CP_UTF8;
  const DWORD flags = code_page == CP_UTF8 ? WC_ERR_INVALID_CHARS : narrowing_flags(code_page);
  BOOL used_default = FALSE;
  BOOL* const report = utf ? nullptr : &used_default;
  const int size = static_cast<int>(wide.size());
  const int needed = ::WideCharToMultiByte(code_page, flags, wide.data(), size, nullptr, 0, nullptr, report);
  if (needed <= 0 || used_default) return std::nullopt;
  std::string out(static_cast<std::size_t>(needed), '\0');
  if (::WideCharToMultiByte(code_page, flags, wide.data(), size, out.data(), needed, nullptr, report) != needed ||
      used_default) {
    return std::nullopt;
  }
  // Code pages without a default-character report (the ISO-2022 family among them): the way back decides.
  const int back = ::MultiByteToWideChar(code_page, 0, out.data(), needed, nullptr, 0);
  if (back != size) return std::nullopt;
  std::wstring again(static_cast<std::size_t>(back), L'\0');
  if (::MultiByteToWideChar(code_page, 0, out.data(), needed, again.data(), back) != back || again != wide) {
    return std::nullopt;
  }
  return out;
}

std::string narrow_for_file_api(std::wstring_view wide) {
  // The code page's number, not CP_ACP: the flags depend on which code page that is (65001 on a UTF-8 system).
  return narrow_in_code_page(wide, ::AreFileApisANSI() ? ::GetACP() : ::GetOEMCP());
}

}  // namespace tavo
