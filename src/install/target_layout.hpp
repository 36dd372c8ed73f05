#pragma once

#include "fs/held_folder.hpp"
#include "fs/path.hpp"
#include "install/held_package.hpp"

namespace tavo::install {

// Puts the original software's trees, the payload's files and the user guide from the held package into the
// held staging folder: every file is read relative to its held
// folder, never through a link, and a file that a check hashed is installed only as it was hashed (else Error
// "Bundled software checksum mismatch" or "Payload checksum mismatch").
void fill_staging_folder(HeldPackage& package, const fs::HeldFolder& staging);

// Creates "Backups", "Presets" and "Logs" in the staging folder (an existing "Presets" stays as it is).
void create_user_folders(const fs::Path& staging_dir);

}  // namespace tavo::install
