#include "verify/original_software.hpp"

#include <string>

#include "common/error.hpp"
#include "fs/file_status.hpp"
#include "verify/known_digests.hpp"
#include "verify/package_layout.hpp"
#include "verify/sha256.hpp"

namespace tavo::verify {

bool has_original_software(const fs::Path& folder) {
  if (fs::status(fs::join(folder, L"App/Bin/Tavo.exe")) != fs::FileType::regular) return false;
  if (fs::status(fs::join(folder, kSourceDriverDllPath)) != fs::FileType::regular) return false;
  return fs::status(fs::join(folder, kTavoTree)) == fs::FileType::directory;
}

void check_driver_dll_version(const fs::Path& source_dir) {
  const std::string digest = file_sha256(fs::join(source_dir, kSourceDriverDllPath));
  // An already patched source is accepted as well: the installation puts the patched build in place anyway.
  if (digest == original_driver_dll_sha256 || digest == patched_driver_dll_sha256) return;
  throw Error("Unsupported TavoDrv.dll version");
}

}  // namespace tavo::verify
