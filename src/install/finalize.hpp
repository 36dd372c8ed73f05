#pragma once
// The final step of an installation: the staging folder becomes the target in one rename.

#include <system_error>

#include "fs/path.hpp"

namespace tavo::install {

// The two file-system calls of the final rename; a test stands in for them to provoke each outcome.
class RenameCalls {
 public:
  virtual ~RenameCalls() = default;
  // Renames without ever replacing what is at `to`; the system's error code, empty on success.
  virtual std::error_code rename(const fs::Path& from, const fs::Path& to) = 0;
  virtual bool exists(const fs::Path& path) = 0;
};

// The real calls.
RenameCalls& system_rename_calls();

inline constexpr int kRenameAttempts = 60;
inline constexpr unsigned kRenamePauseMilliseconds = 250;

// The pause between two attempts. A test sets its own to run without waiting (nullptr restores the real one);
// returns the one that was set.
using RetrySleep = void (*)(unsigned milliseconds);
RetrySleep set_retry_sleep(RetrySleep sleep) noexcept;

// Renames the staging folder to the target, retrying a transient failure (ErrorCondition::transient_rename)
// while no target has appeared. Raises FileSystemError "Cannot finalize installation" with both paths.
void finalize_installation(const fs::Path& staging_dir, const fs::Path& target_dir,
                           RenameCalls& calls = system_rename_calls());

}  // namespace tavo::install
