#pragma once

#include <cstdint>
#include <functional>

#include "fs/path.hpp"

namespace tavo::install {

// Verifies the package, then builds the installation in "<target>.vorbereitung-<pid>" and renames that to
// the target. Returns normally when the target holds this installation (built now or found present).
void prepare_installation(const fs::Path& exe_dir, const fs::Path& source_dir, const fs::Path& target_dir);

// True when the target is this version's finished installation: marker line, patched driver DLL, the payload's
// shim. A digest that cannot be computed raises its own error.
bool is_current_installation(const fs::Path& target_dir, const fs::Path& payload_dir);

// Writes "TAVO-x64-installation.txt" in text mode. Raises SetupError "Cannot write installation marker".
void write_installation_marker(const fs::Path& staging_dir);

// What the final rename needs of the system; a test replaces it to provoke each outcome.
struct RenameSystem {
  std::function<int(const fs::Path& from, const fs::Path& to)> rename;  // 0 or the system error code
  std::function<bool(const fs::Path& path)> exists;
  std::function<bool(int code)> is_transient;  // access denied or sharing violation
  std::function<void(unsigned milliseconds)> sleep;
};
RenameSystem system_rename();

inline constexpr int kRenameAttempts = 60;
inline constexpr unsigned kRenamePauseMilliseconds = 250;

// Renames the staging folder to the target, retrying a transient failure while no target has appeared.
// Raises FileSystemError "Cannot finalize installation" with both paths.
void finalize_installation(const fs::Path& staging_dir, const fs::Path& target_dir,
                           const RenameSystem& system = system_rename());

}  // namespace tavo::install
