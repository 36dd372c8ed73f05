#include "common/error.hpp"
#include "common/run_log.hpp"
#include "fs/text_file.hpp"
#include "install/installation_names.hpp"
#include "install/installation_marker.hpp"
#include "verify/known_digests.hpp"
#include "verify/sha256.hpp"

namespace tavo::install {

bool is_current_installation(const fs::Path& target_dir, const fs::Path& payload_dir) {
  // Two bytes more than the tag tell a longer first line from the tag and its CR LF.
  const fs::Path marker = fs::join(target_dir, kMarkerName);
  if (fs::read_first_line(marker, kVersionTag.size() + 2).value_or(std::string()) != kVersionTag) return false;
  if (verify::file_sha256(fs::join(target_dir, L"App/Bin/TavoDrv.dll")) != verify::patched_driver_dll_sha256) {
    return false;
  }
  const std::string payload_shim = verify::file_sha256(fs::join(payload_dir, L"tusbshim.dll"));
  return payload_shim == verify::file_sha256(fs::join(target_dir, L"App/Bin/tusbshim.dll"));
}

void write_installation_marker(const fs::Path& staging_dir) {
  const std::string text = std::string(kVersionTag) + "\nOriginal software preserved.\n";
  if (const std::error_code error = fs::write_own_text_file(fs::join(staging_dir, kMarkerName), text)) {
    throw Error("Cannot write installation marker", run_log::error_text(error));
  }
}

}  // namespace tavo::install
