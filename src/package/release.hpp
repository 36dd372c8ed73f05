#pragma once

#include <cstddef>

#include "fs/path.hpp"
#include "package/problems.hpp"
#include "package/progress.hpp"

namespace tavo::package {

// Checks the package in `root` (check_package) and, beyond that, that it unpacks on Windows as it is: the setup
// program at its root, no link anywhere, every entry a file or folder and every name one that Windows can hold
// and that has a UTF-8 form. Only when no problem turned up, writes the whole package into the zip archive
// `archive` (write_zip_archive). Returns the number of files archived; 0 with problems, and then nothing is
// written. Raises PackageError when the archive would lie inside the package.
std::size_t release_package(const fs::Path& root, const fs::Path& archive, Progress& progress, ProblemList& problems);

}  // namespace tavo::package
