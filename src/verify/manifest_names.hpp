#pragma once

#include <string>
#include <string_view>

namespace tavo::verify {

// A payload name in the platform's narrow file-name encoding (Windows: the ANSI code page; elsewhere UTF-8)
// as wide text. Raises SystemError with the system's text for a byte sequence invalid in that encoding.
std::wstring wide_from_narrow_file_name(std::string_view name);

// A software path in UTF-8 as wide text. Raises SystemError with the system's text for invalid UTF-8.
std::wstring wide_from_utf8_file_name(std::string_view name);

// A payload name names one file directly in the payload folder: not empty, no slash or backslash anywhere,
// no drive prefix (letter and colon) at its start.
[[nodiscard]] bool is_valid_payload_name(std::wstring_view name) noexcept;

// A software path is relative below the software folder: no separator or drive prefix at its start and no
// component "..". Slash and backslash both separate components.
[[nodiscard]] bool is_valid_software_path(std::wstring_view path) noexcept;

// A manifest name with the separators that the platform's file calls know: both divide a manifest name, but
// off Windows only the slash divides a path.
std::wstring with_file_call_separators(std::wstring name);

}  // namespace tavo::verify
