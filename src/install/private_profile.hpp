#pragma once

#include <string_view>

#include "fs/path.hpp"

namespace tavo::install {

// The platform's private-profile writer: sets `key` to `value` in `section` of the INI file `file` (a plain
// joined path); every other line of the file stays. Returns false when the file cannot be opened or written.
bool write_private_profile_string(std::wstring_view section, std::wstring_view key, std::wstring_view value,
                                  const fs::Path& file);

}  // namespace tavo::install
