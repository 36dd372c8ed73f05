#include "fs/file_operations.hpp"
#include "fs/file_status.hpp"
#include "fs/filesystem_error.hpp"
#include "install/process_info.hpp"
#include "install/transaction.hpp"

namespace tavo::install {

RenameSystem system_rename() {
  RenameSystem system;
  system.rename = [](const fs::Path& from, const fs::Path& to) { return fs::rename_without_replace(from, to); };
  system.exists = [](const fs::Path& path) { return fs::exists(path); };
  system.is_transient = [](int code) { return fs::is_transient_rename_error(code); };
  system.sleep = [](unsigned milliseconds) { sleep_milliseconds(milliseconds); };
  return system;
}

void finalize_installation(const fs::Path& staging_dir, const fs::Path& target_dir, const RenameSystem& system) {
  int last_error = 0;
  for (int attempt = 0; attempt < kRenameAttempts; ++attempt) {
    last_error = system.rename(staging_dir, target_dir);
    if (last_error == 0) break;
    // Whatever now stands at the target is somebody else's: never wait to replace it.
    if (system.exists(target_dir)) break;
    // Only a briefly held handle (a virus scanner, an indexer) is worth waiting for.
    if (!system.is_transient(last_error)) break;
    system.sleep(kRenamePauseMilliseconds);
  }
  if (last_error != 0) throw fs::FileSystemError("Cannot finalize installation", last_error, staging_dir, target_dir);
}

}  // namespace tavo::install
