#pragma once
// The character encodings a private-profile file may have, read and written back unchanged where untouched.

#include <string>
#include <string_view>

namespace tavo::install {

enum class IniEncoding {
  narrow,    // 8-bit text without a byte-order mark; kept byte for byte, bytes that are not UTF-8 included
  utf8_bom,  // UTF-8 after the byte-order mark EF BB BF
  utf16le,   // after the byte-order mark FF FE
  utf16be,   // after the byte-order mark FE FF
};

// A file's text as wide characters. For UTF-16 files each element is one UTF-16 code unit, also where wchar_t
// has 32 bits; `odd_byte` keeps a final byte that does not complete a unit.
struct IniText {
  IniEncoding encoding = IniEncoding::narrow;
  std::wstring text;
  std::string odd_byte;
};

IniText decode_ini_text(std::string_view bytes);
std::string encode_ini_text(const IniText& text);

// Wide text in the element form that `decode_ini_text` gives for `encoding` (UTF-16 units for UTF-16 files).
std::wstring ini_elements(std::wstring_view wide, IniEncoding encoding);

}  // namespace tavo::install
