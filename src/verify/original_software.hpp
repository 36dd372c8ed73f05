#pragma once

#include "fs/path.hpp"

namespace tavo::verify {

// True when the folder has "App/Bin/Tavo.exe", "App/Bin/TavoDrv.dll" (regular files) and a folder "Tavo",
// links followed. Raises FileSystemError "status" when a status cannot be read for a reason other than absence.
[[nodiscard]] bool has_original_software(const fs::Path& folder);

// Accepts "App/Bin/TavoDrv.dll" of the source only in its original or its patched build.
// Raises Error "Unsupported TavoDrv.dll version".
void check_driver_dll_version(const fs::Path& source_dir);

}  // namespace tavo::verify
