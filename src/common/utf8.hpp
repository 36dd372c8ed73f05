#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavo {

// Wide text as UTF-8. Code points U+DC80..U+DCFF, which wide_from_utf8 makes of bytes that are not
// UTF-8, become those bytes again, so a POSIX file name survives the round trip unchanged.
[[nodiscard]] std::string utf8_from_wide(std::wstring_view wide);

// UTF-8 as wide text (UTF-16 where wchar_t has 16 bits). Bytes that are not part of a valid sequence
// become U+DC80..U+DCFF.
[[nodiscard]] std::wstring wide_from_utf8(std::string_view utf8);

// UTF-8 as wide text; nothing when any byte sequence is invalid (overlong, surrogate, truncated, > U+10FFFF).
[[nodiscard]] std::optional<std::wstring> wide_from_utf8_strict(std::string_view utf8);

// Appends a code point as UTF-16 code units: one unit, or a surrogate pair above U+FFFF.
void append_utf16(std::wstring& units, char32_t code_point);

}  // namespace tavo
