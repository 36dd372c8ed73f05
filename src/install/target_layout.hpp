#pragma once

#include "fs/path.hpp"

namespace tavo::install {

// Puts the original software's trees, the payload's files and the user guide into the staging folder.
void fill_staging_folder(const fs::Path& exe_dir, const fs::Path& source_dir, const fs::Path& payload_dir,
                         const fs::Path& staging_dir);

// Creates "Backups", "Presets" and "Logs" in the staging folder (an existing "Presets" stays as it is).
void create_user_folders(const fs::Path& staging_dir);

}  // namespace tavo::install
