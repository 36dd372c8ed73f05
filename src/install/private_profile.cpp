#include "install/private_profile.hpp"

#include "install/ini_encoding.hpp"
#include "install/ini_text.hpp"

namespace tavo::install {
namespace {

// A line break in a name or value would add lines of its own to the file; a "]" would end the section
// header early and an "=" in a key would split it. Windows paths cannot hold these, POSIX names can.
bool is_writable_entry(std::wstring_view section, std::wstring_view key, std::wstring_view value) noexcept {
  auto has_line_break = [](std::wstring_view text) { return text.find_first_of(L"\r\n") != std::wstring_view::npos; };
  return !has_line_break(section) && !has_line_break(key) && !has_line_break(value) &&
         section.find(L']') == std::wstring_view::npos && key.find(L'=') == std::wstring_view::npos;
}

}  // namespace

std::optional<std::string> with_private_profile_string(std::string_view bytes, std::wstring_view section,
                                                       std::wstring_view key, std::wstring_view value) {
  if (!is_writable_entry(section, key, value)) return std::nullopt;
  IniText text = decode_ini_text(bytes);
  // Never a look-alike: an entry the encoding cannot hold exactly is not written at all.
  const std::optional<std::wstring> section_elements = ini_elements(section, text.encoding);
  const std::optional<std::wstring> key_elements = ini_elements(key, text.encoding);
  const std::optional<std::wstring> value_elements = ini_elements(value, text.encoding);
  if (!section_elements || !key_elements || !value_elements) return std::nullopt;
  text.text = with_profile_string(text.text, *section_elements, *key_elements, *value_elements);
  return encode_ini_text(text);
}

}  // namespace tavo::install
