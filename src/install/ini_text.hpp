#pragma once
// Editing the text of a private-profile (INI) file the way the Windows writer edits it in place.

#include <string>
#include <string_view>

namespace tavo::install {

// The text with `key` set to `value` in `section`:
// - an existing key's line (the first in the first such section) gets the new value, its line end kept;
// - a missing key is added after the last non-blank line of its section;
// - a missing section is added with the key at the end of the text.
// Section and key names are matched without regard to ASCII case and surrounding blanks. Every other line
// stays as it is, line ends included; added lines end like the text's first line (CR LF when it has none).
std::wstring with_profile_string(std::wstring_view text, std::wstring_view section, std::wstring_view key,
                                 std::wstring_view value);

}  // namespace tavo::install
