#pragma once

#include <string_view>

#include "fs/path.hpp"

namespace tavo::package {

// Gives the file at `path` the content `bytes`, whole or not at all: the content goes into a new file beside
// it (TemporaryFile), which then replaces the file in one rename. When anything fails the new file is removed
// and the old file is as it was. Raises FileSystemError "write" or "rename".
void replace_file(const fs::Path& path, std::string_view bytes);

}  // namespace tavo::package
