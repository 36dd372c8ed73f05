#pragma once
// The character encodings a private-profile file may have, read and written back unchanged where untouched.

#include <optional>
#include <string>
#include <string_view>

namespace tavo::install {

enum class IniEncoding {
  narrow,    // 8-bit text without a byte-order mark, kept byte for byte: UTF-8 natively (bytes that are not UTF-8
             // included), the system's ANSI code page on Windows
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

// Wide text in the element form that `decode_ini_text` gives for `encoding` (UTF-16 units for UTF-16 files, the
// code page's bytes for a narrow file on Windows); nothing when the encoding cannot hold the text exactly. The
// one judge of exactness: the editor settings are checked with it before anything is written, and the writer
// refuses with it what it could only approximate.
std::optional<std::wstring> ini_elements(std::wstring_view wide, IniEncoding encoding);

// The encoding of a file that begins with `first_bytes` (its first three bytes or more).
IniEncoding ini_encoding_of(std::string_view first_bytes);

namespace detail {
// The platform's narrow form: each byte as an element and back, and wide text in that form when it is exact.
std::wstring narrow_elements(std::string_view bytes);
std::string narrow_bytes(std::wstring_view elements);
std::optional<std::wstring> exact_narrow_elements(std::wstring_view wide);
}  // namespace detail

}  // namespace tavo::install
