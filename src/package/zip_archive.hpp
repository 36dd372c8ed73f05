#pragma once

#include <map>
#include <string>
#include <vector>

#include "fs/held_folder.hpp"
#include "fs/path.hpp"
#include "fs/tree_listing.hpp"

namespace tavo::package {

// Writes a zip archive at `archive` of the files and folders `entries` (as list_tree gives them) below the held
// `root`, entries named by their relative paths and flagged as UTF-8. Each file is opened below `root` without
// following a link, only as a plain file (a pipe or device is refused, never waited on), and read once: the
// bytes archived are the bytes hashed. A file with a digest in `digests` (by its entry path) must have exactly
// that digest, and no file may change while it is read; otherwise nothing is written. The archive is written
// under a temporary name beside `archive` and renamed to it at the end; a failed run leaves no archive and no
// temporary file. Raises PackageError when the archive cannot be made, FileSystemError "rename" when it cannot
// be put in place.
void write_zip_archive(const fs::HeldFolder& root, const std::vector<fs::TreeEntry>& entries,
                       const std::map<std::wstring, std::string>& digests, const fs::Path& archive);

}  // namespace tavo::package
