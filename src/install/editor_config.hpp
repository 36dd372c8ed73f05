#pragma once

#include <string_view>

#include "fs/path.hpp"

namespace tavo::install {

// Points the folder settings of the installation's "App/Bin/tset.ini" (in `staging_dir`) at the folders the
// installation will have under `target_dir`. Raises Error "Cannot configure editor" at the first
// setting that cannot be written.
void configure_editor(const fs::Path& staging_dir, const fs::Path& target_dir);

// Raises Error "Cannot configure editor" when the settings file (or its template) `settings_file` could not hold
// the folders under `target_dir` exactly: a line break in its text would split a line of tset.ini, and a
// character that the file's encoding lacks (a narrow file on Windows is in the ANSI code page) would point the
// editor at a folder that does not exist. So such a target is refused before anything is written; so is a
// settings file that cannot be read.
void check_editor_folders(const fs::Path& target_dir, const fs::Path& settings_file);

// Writes `folder` as the value of `key` in `section`: its text with forward slashes and a final "/".
// Raises Error "Cannot configure editor".
void write_editor_setting(const fs::Path& settings_file, std::wstring_view section, std::wstring_view key,
                          const fs::Path& folder);

}  // namespace tavo::install
