#pragma once

#include "fs/path.hpp"

namespace tavo::verify {

// Checks every line of payload_dir's "SHA256SUMS.txt" (exactly 7 files directly in the folder), then that the
// payload's "TavoDrv.dll" is the patched build. Raises SetupError with the first failure's message, the
// digest's own errors, SystemError for a name that is not valid in the narrow file-name encoding, and
// FileSystemError "read" when the manifest cannot be read to its end.
void verify_payload_manifest(const fs::Path& payload_dir);

// Checks every line of source_dir's "SHA256SUMS.txt" (at least 100 files at relative paths below the
// folder, names in UTF-8). Raises like verify_payload_manifest.
void verify_software_manifest(const fs::Path& source_dir);

}  // namespace tavo::verify
