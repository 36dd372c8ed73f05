#include "common/utf8.hpp"
#include "install/ini_encoding.hpp"

namespace tavo::install::detail {

// Natively the narrow form is UTF-8; bytes that are not UTF-8 pass through as U+DC80..U+DCFF and back.
std::wstring narrow_elements(std::string_view bytes) { return wide_from_utf8(bytes); }

std::string narrow_bytes(std::wstring_view elements) { return utf8_from_wide(elements); }

std::optional<std::wstring> exact_narrow_elements(std::wstring_view wide) { return std::wstring(wide); }

}  // namespace tavo::install::detail
