#pragma once

#include <string>

#include "fs/path.hpp"
#include "package/progress.hpp"

namespace tavo::package {

// file_sha256 of the setup, its bytes and the file counted in the progress report. Raises as file_sha256.
std::string digest_with_progress(const fs::Path& file, Progress& progress);

}  // namespace tavo::package
