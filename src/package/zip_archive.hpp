#pragma once

#include <vector>

#include "fs/path.hpp"
#include "fs/tree_listing.hpp"

namespace tavo::package {

// Writes a zip archive at `archive` of the files and folders `entries` (as list_tree gives them) below `root`,
// entries named by their relative paths and flagged as UTF-8. The archive is written under a temporary name
// beside `archive` and renamed to it at the end; a failed run leaves no archive and no temporary file.
// Raises PackageError when the archive cannot be made, FileSystemError "rename" when it cannot be put in place.
void write_zip_archive(const fs::Path& root, const std::vector<fs::TreeEntry>& entries, const fs::Path& archive);

}  // namespace tavo::package
