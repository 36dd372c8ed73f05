#pragma once
// The final step of an installation: the staging folder becomes the target in one rename.

#include "fs/path.hpp"

namespace tavo::install {

inline constexpr int kRenameAttempts = 60;
inline constexpr unsigned kRenamePauseMilliseconds = 250;

// Renames the staging folder to the target, retrying a transient failure (ErrorCondition::transient_rename)
// while no target has appeared. Raises FileSystemError "Cannot finalize installation" with both paths.
void finalize_installation(const fs::Path& staging_dir, const fs::Path& target_dir);

}  // namespace tavo::install
