#pragma once
// The private-profile writer of both builds: the same bytes on Windows and natively, with no MAX_PATH limit and
// one way of reading a byte-order mark.

#include <optional>
#include <string>
#include <string_view>

#include "fs/path.hpp"

namespace tavo::install {

// Sets `key` to `value` in `section` of the INI file `file`; every other line of the file stays, and so does its
// encoding. A missing file is created. Returns false when the file cannot be opened or written (a read-only
// file included), or when the file's encoding cannot hold the entry exactly.
bool write_private_profile_string(std::wstring_view section, std::wstring_view key, std::wstring_view value,
                                  const fs::Path& file);

// The file's new bytes for the same change, made of its old `bytes`; nothing when the entry cannot be written
// (a line break, a "]" in the section, an "=" in the key, characters its encoding cannot hold exactly).
std::optional<std::string> with_private_profile_string(std::string_view bytes, std::wstring_view section,
                                                       std::wstring_view key, std::wstring_view value);

}  // namespace tavo::install
