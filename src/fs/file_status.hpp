#pragma once

#include "fs/path.hpp"

namespace tavo::fs {

enum class FileType { not_found, regular, directory, other };

// What is at the path, links followed: a dangling link is not_found. Absence (no such entry, a missing
// folder on the way, an invalid name) gives not_found; any other failure raises FileSystemError "status".
// The path is used as given (a joined form is fine).
[[nodiscard]] FileType status(const Path& path);

// True when any entry is present at the path; a final link is not followed, so a dangling link exists.
// Absence gives false; any other failure raises FileSystemError "exists".
[[nodiscard]] bool exists(const Path& path);


}  // namespace tavo::fs
