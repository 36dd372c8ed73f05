#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/error.hpp"
#include "fs/file_identity.hpp"
#include "fs/held_folder.hpp"
#include "fs/input_file.hpp"
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

// Takes part in a manifest's line checks for a tool that reports every problem: it notes each failing line,
// and the verification goes on with the next one. (The setup's verifications have no watcher: there the first
// failing line raises.)
class LineWatcher {
 public:
  virtual ~LineWatcher() = default;
  // The digest of one listed file (its path, and the file open for reading); file_sha256 unless a watcher
  // wants to see each file.
  virtual std::string digest(const fs::Path& path, fs::InputFile& file);
  // Line `number` (counted from 1) failed with failure(); `name` is the line's name part, empty when the line's
  // layout is wrong. Returning goes on with the next line; whatever this raises ends the verification.
  virtual void line_failed(std::uint32_t number, std::string_view name) = 0;

  // Hands the failure of one line to line_failed.
  void report(std::uint32_t number, std::string_view name, const Error& failure);

 protected:
  // The failure of the line that line_failed is told of; only valid during that call.
  const Error& failure() const noexcept { return *failure_; }

 private:
  const Error* failure_ = nullptr;
};

// The steps of the two verifications one by one, with a watcher or, without one, raising at the first failing
// line. The entries' checks count every line that was checked, so with a watcher the count still measures the
// manifest, not its good lines. verify_payload_manifest is verify_payload_entries followed by
// check_patched_payload_dll; verify_software_manifest is verify_software_entries.
void verify_payload_entries(const fs::Path& payload_dir);                        // lines and their count
void verify_payload_entries(const fs::Path& payload_dir, LineWatcher& watcher);
void check_patched_payload_dll(const fs::Path& payload_dir);                     // "Wrong patched DLL"
void verify_software_entries(const fs::Path& source_dir);                        // lines and their count
void verify_software_entries(const fs::Path& source_dir, LineWatcher& watcher);

// The same on a held folder, as the setup verifies: every file is opened below the folder, no name on the way
// followed (a link raises Error "Linked source files are unsupported"), and with `hashed` each hashed file's
// fingerprint is noted under "<folder's name in the package>/<name>". A null watcher raises at the first failing line.
void verify_payload_entries(const fs::HeldFolder& payload_dir, LineWatcher* watcher, fs::HashedFiles* hashed);
void check_patched_payload_dll(const fs::HeldFolder& payload_dir, fs::HashedFiles* hashed);
void verify_software_entries(const fs::HeldFolder& source_dir, LineWatcher* watcher, fs::HashedFiles* hashed);

}  // namespace tavo::verify
