#pragma once
// The final step of an installation: the staging folder becomes the target in one rename.

#include <cstdint>
#include <string_view>

#include "fs/held_folder.hpp"
#include "fs/path.hpp"

namespace tavo::install {

// Scanners, the indexer and sync engines hold the files of a freshly filled folder, often for more than 15 s:
// the rename is retried for this long after its first transient failure, with a pause between the attempts.
inline constexpr std::uint64_t kReleaseWaitMilliseconds = 60'000;
inline constexpr unsigned kRenamePauseMilliseconds = 250;
// The programs that hold the files are asked for at the first failure and then at most this often.
inline constexpr std::uint64_t kHoldersQueryMilliseconds = 5'000;
// The detail line under the phase of the wait, before the holders' names (comma-separated).
inline constexpr std::wstring_view kHeldBy = L"Gehalten von: ";

// Renames the held staging folder `staging`, named `staging_name` in the held `parent`, to `target_name` there,
// retrying a transient failure (ErrorCondition::transient_rename) while no target has appeared, for
// kReleaseWaitMilliseconds from the first failure. Meanwhile the phase is waiting_for_release, with the programs
// that hold the staging folder's files as its detail where the system can name them. Raises
// FileSystemError "Cannot finalize installation" with both paths. It is the filled folder itself that must appear at the target, so anything else
// found at the staging name before the rename or at the target after it fails the run. The hold on `staging` is
// let go first (a held folder cannot be renamed on Windows).
void finalize_installation(const fs::HeldFolder& parent, fs::HeldFolder&& staging, std::wstring_view staging_name,
                           std::wstring_view target_name);

}  // namespace tavo::install
