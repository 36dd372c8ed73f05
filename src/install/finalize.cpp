#include "install/finalize.hpp"

#include "common/system_error.hpp"
#include "sys/this_process.hpp"
#include "fs/file_operations.hpp"
#include "fs/file_status.hpp"
#include "fs/filesystem_error.hpp"

namespace tavo::install {

void finalize_installation(const fs::HeldFolder& parent, fs::HeldFolder&& staging, std::wstring_view staging_name,
                           std::wstring_view target_name) {
  const fs::Path staging_dir = fs::join(parent.path(), staging_name);
  const fs::Path target_dir = fs::join(parent.path(), target_name);
  fs::FileIdentity filled;
  if (const std::error_code error = staging.identity(filled)) {
    throw fs::FileSystemError("Cannot finalize installation", error, staging_dir, target_dir);
  }
  staging = fs::HeldFolder();
  std::error_code last_error;
  for (int attempt = 0; attempt < kRenameAttempts; ++attempt) {
    last_error = parent.rename_entry(staging_name, target_name, filled);
    if (!last_error) break;
    bool taken = false;
    if (last_error == std::errc::file_exists || parent.has_entry(target_name, taken) || taken) break;
    if (last_error != ErrorCondition::transient_rename) break;
    sleep_milliseconds(kRenamePauseMilliseconds);
  }
  if (last_error) throw fs::FileSystemError("Cannot finalize installation", last_error, staging_dir, target_dir);
}

}  // namespace tavo::install
