#pragma once

#include <vector>

#include "fs/path.hpp"
#include "package/package_rules.hpp"
#include "package/problems.hpp"
#include "package/progress.hpp"

namespace tavo::package {

// Runs on the package in `root` the setup's own check steps (install::package_checks, every stage): the
// presence of the original software, both manifests line by line, the payload's patched driver DLL, the driver
// DLL of the original software, the link check of its folder trees, and the files it copies besides (the seven
// payload files, the user guide). Every problem goes into `problems` with the setup's own message and the file
// it concerns; unlike the setup, the check goes on after a problem. Then what a package needs besides
// (package_rules.hpp). Only reads. Returns the entries that a release of the package archives.
PackageEntries check_package(const fs::Path& root, Progress& progress, ProblemList& problems);

}  // namespace tavo::package
