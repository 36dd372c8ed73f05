#pragma once
// The final step of an installation: the staging folder becomes the target in one rename.

#include <string_view>

#include "fs/held_folder.hpp"
#include "fs/path.hpp"

namespace tavo::install {

inline constexpr int kRenameAttempts = 60;
inline constexpr unsigned kRenamePauseMilliseconds = 250;

// Renames the held staging folder `staging`, named `staging_name` in the held `parent`, to `target_name` there,
// retrying a transient failure (ErrorCondition::transient_rename) while no target has appeared. Raises
// FileSystemError "Cannot finalize installation" with both paths. It is the filled folder itself that must appear at the target, so anything else
// found at the staging name before the rename or at the target after it fails the run. The hold on `staging` is
// let go first (a held folder cannot be renamed on Windows).
void finalize_installation(const fs::HeldFolder& parent, fs::HeldFolder&& staging, std::wstring_view staging_name,
                           std::wstring_view target_name);

}  // namespace tavo::install
