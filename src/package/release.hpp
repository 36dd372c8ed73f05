#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "fs/path.hpp"
#include "package/problems.hpp"
#include "package/progress.hpp"

namespace tavo::package {

struct Released {
  std::size_t files = 0;                // archived
  std::vector<std::wstring> left_out;   // top entries not archived: a test run's result file, staging folders
};

// Checks the package in `root` (check_package, which also says what a release leaves out) and, beyond that,
// that the setup program is at its root and every name has a UTF-8 form. Only when no problem turned up,
// writes the package into the zip archive `archive` (write_zip_archive). Returns what was archived and left
// out; nothing with problems, and then nothing is written. Raises PackageError when the archive would lie
// inside the package.
Released release_package(const fs::Path& root, const fs::Path& archive, Progress& progress, ProblemList& problems);

}  // namespace tavo::package
