#pragma once
// The installation marker "TAVO-x64-installation.txt" at the root of an installation, and what it takes for an
// existing target to count as this installation.

#include "fs/path.hpp"

namespace tavo::install {

// True when the target is this version's finished installation: marker line, patched driver DLL, the payload's
// shim. A digest that cannot be computed raises its own error.
[[nodiscard]] bool is_current_installation(const fs::Path& target_dir, const fs::Path& payload_dir);

// Writes the marker in text mode. Raises Error "Cannot write installation marker".
void write_installation_marker(const fs::Path& staging_dir);

}  // namespace tavo::install
