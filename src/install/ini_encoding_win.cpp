#include "sys/calls_win.hpp"

#include "common/code_page.hpp"
#include "install/ini_encoding.hpp"

namespace tavo::install::detail {

// A narrow file is edited as its bytes, one element each: lines that are not written stay byte for byte, whatever
// the code page makes of them, and section and key names (ASCII) are found as they are.
std::wstring narrow_elements(std::string_view bytes) {
  std::wstring elements;
  elements.reserve(bytes.size());
  for (const char byte : bytes) elements.push_back(static_cast<wchar_t>(static_cast<unsigned char>(byte)));
  return elements;
}

std::string narrow_bytes(std::wstring_view elements) {
  std::string bytes;
  bytes.reserve(elements.size());
  for (const wchar_t element : elements) bytes.push_back(static_cast<char>(element & 0xFF));
  return bytes;
}

// What is written goes into the ANSI code page, as the editor reads it, and only when it comes back unchanged.
std::optional<std::wstring> exact_narrow_elements(std::wstring_view wide) {
  const std::optional<std::string> bytes = exact_in_code_page(wide, ::GetACP());
  if (!bytes) return std::nullopt;
  return narrow_elements(*bytes);
}

}  // namespace tavo::install::detail
