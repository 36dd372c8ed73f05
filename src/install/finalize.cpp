#include "install/finalize.hpp"

#include <string>
#include <vector>

#include "common/progress.hpp"
#include "common/run_log.hpp"
#include "common/system_error.hpp"
#include "sys/this_process.hpp"
#include "fs/file_holders.hpp"
#include "fs/file_operations.hpp"
#include "fs/file_status.hpp"
#include "fs/filesystem_error.hpp"

namespace tavo::install {
namespace {

// Shows who holds the files below `staging_dir`, when the system names anybody and the names differ from those
// `shown` already; a lookup that names nobody leaves the line as it is.
void show_holders(const fs::Path& staging_dir, std::wstring& shown) noexcept {
  try {
    const std::vector<std::wstring> holders = fs::file_holders(staging_dir);
    if (holders.empty()) return;
    std::wstring text(kHeldBy);
    for (std::size_t i = 0; i < holders.size(); ++i) {
      if (i > 0) text += L", ";
      text += holders[i];
    }
    if (text == shown) return;
    shown = std::move(text);
    progress::show_detail(shown);
    run_log::note("Files of the staging folder held by: " +
                  run_log::quoted(shown.substr(std::wstring_view(kHeldBy).size())));
  } catch (...) {
    // Out of memory for a line of text: the wait goes on without it.
  }
}

}  // namespace

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
  bool waiting = false;
  std::uint64_t deadline = 0;
  std::uint64_t next_query = 0;
  std::wstring shown;
  for (unsigned attempt = 1;; ++attempt) {
    last_error = parent.rename_entry(staging_name, target_name, filled);
    if (run_log::active()) {
      run_log::note("Rename attempt " + std::to_string(attempt) +
                    (last_error ? ": failed, system code " + run_log::error_text(last_error) : std::string(": done")));
    }
    if (!last_error) break;
    bool taken = false;
    if (last_error == std::errc::file_exists || parent.has_entry(target_name, taken) || taken) break;
    if (last_error != ErrorCondition::transient_rename) break;
    const std::uint64_t now = monotonic_milliseconds();
    if (!waiting) {
      waiting = true;
      deadline = now + kReleaseWaitMilliseconds;
      next_query = now;
      progress::start_phase(progress::Phase::waiting_for_release);
    }
    if (now >= deadline) {
      run_log::note("Files still held after " + std::to_string(kReleaseWaitMilliseconds / 1000) + " s: giving up");
      break;
    }
    if (now >= next_query) {
      show_holders(staging_dir, shown);
      next_query = now + kHoldersQueryMilliseconds;
    }
    sleep_milliseconds(kRenamePauseMilliseconds);
  }
  if (last_error) throw fs::FileSystemError("Cannot finalize installation", last_error, staging_dir, target_dir);
}

}  // namespace tavo::install
