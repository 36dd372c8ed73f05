#include "install/finalize.hpp"

#include <atomic>

#include "common/system_error.hpp"
#include "sys/this_process.hpp"
#include "fs/file_operations.hpp"
#include "fs/file_status.hpp"
#include "fs/filesystem_error.hpp"

namespace tavo::install {
namespace {

class SystemRenameCalls final : public RenameCalls {
 public:
  std::error_code rename(const fs::Path& from, const fs::Path& to) override {
    return fs::rename_without_replace(from, to);
  }
  bool exists(const fs::Path& path) override { return fs::exists(path); }
};

std::atomic<RetrySleep> retry_sleep{nullptr};

}  // namespace

RenameCalls& system_rename_calls() {
  static SystemRenameCalls calls;
  return calls;
}

RetrySleep set_retry_sleep(RetrySleep sleep) noexcept { return retry_sleep.exchange(sleep); }

void finalize_installation(const fs::Path& staging_dir, const fs::Path& target_dir, RenameCalls& calls) {
  std::error_code last_error;
  for (int attempt = 0; attempt < kRenameAttempts; ++attempt) {
    last_error = calls.rename(staging_dir, target_dir);
    if (!last_error) break;
    // Whatever now stands at the target is somebody else's: never wait to replace it.
    if (calls.exists(target_dir)) break;
    // Only a briefly held handle (a virus scanner, an indexer) is worth waiting for.
    if (last_error != ErrorCondition::transient_rename) break;
    const RetrySleep sleep = retry_sleep.load();
    if (sleep != nullptr) {
      sleep(kRenamePauseMilliseconds);
    } else {
      sleep_milliseconds(kRenamePauseMilliseconds);
    }
  }
  if (last_error) throw fs::FileSystemError("Cannot finalize installation", last_error, staging_dir, target_dir);
}

}  // namespace tavo::install
