#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "fs/path.hpp"

namespace tavo::verify {

// Checks every line of payload_dir's "SHA256SUMS.txt" (exactly 7 files directly in the folder), then that the
// payload's "TavoDrv.dll" is the patched build. Raises Error with the first failure's message, the
// digest's own errors, SystemError for a name that is not valid in the narrow file-name encoding, and
// FileSystemError "read" when the manifest cannot be read to its end.
void verify_payload_manifest(const fs::Path& payload_dir);

// Checks every line of source_dir's "SHA256SUMS.txt" (at least 100 files at relative paths below the
// folder, names in UTF-8). Raises like verify_payload_manifest.
void verify_software_manifest(const fs::Path& source_dir);

// Takes part in a manifest's line checks. The setup's verifications end at the first failing line; a tool
// that reports every problem notes a failing line and lets the verification go on with the next one.
class LineWatcher {
 public:
  virtual ~LineWatcher() = default;
  // The digest of one listed file, as file_sha256 computes it.
  virtual std::string digest(const fs::Path& file) = 0;
  // Runs while the failure of line `number` (counted from 1) is being handled; `name` is the line's name part,
  // empty when the line's layout is wrong. Rethrow (`throw;`) to end the verification with that failure;
  // return to go on with the next line.
  virtual void line_failed(std::uint32_t number, std::string_view name) = 0;
};

// The steps of the two verifications one by one. The entries' checks count every line that was checked, so
// with a watcher that goes on after a failure the count still measures the manifest, not its good lines.
// verify_payload_manifest is verify_payload_entries followed by check_patched_payload_dll.
void verify_payload_entries(const fs::Path& payload_dir, LineWatcher& watcher);   // lines and their count
void check_patched_payload_dll(const fs::Path& payload_dir);                     // "Wrong patched DLL"
void verify_software_entries(const fs::Path& source_dir, LineWatcher& watcher);  // lines and their count

}  // namespace tavo::verify
