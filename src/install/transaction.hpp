#pragma once

#include "fs/path.hpp"

namespace tavo::install {

// Verifies the package, then builds the installation in "<target>.vorbereitung-<pid>" and renames that to
// the target. Returns normally when the target holds this installation (built now or found present).
void prepare_installation(const fs::Path& exe_dir, const fs::Path& source_dir, const fs::Path& target_dir);

}  // namespace tavo::install
