#include "install/staging_folder.hpp"

#include <string>

#include "common/error.hpp"
#include "fs/file_operations.hpp"
#include "install/installation_names.hpp"

namespace tavo::install {

fs::Path staging_folder(const fs::Path& target_dir, std::uint32_t process_id, unsigned attempt) {
  std::wstring suffix = kStagingInfix + std::to_wstring(process_id);
  if (attempt > 1) suffix += L"-" + std::to_wstring(attempt);
  return fs::with_suffix(target_dir, suffix);
}

fs::Path create_staging_folder(const fs::Path& target_dir, std::uint32_t process_id) {
  // Process ids come round again (always the same one in a fresh PID namespace or Wine prefix), so a taken
  // name must not block the target for good.
  for (unsigned attempt = 1; attempt <= kStagingNames; ++attempt) {
    fs::Path staging_dir = staging_folder(target_dir, process_id, attempt);
    if (fs::create_new_directory(staging_dir)) return staging_dir;
  }
  throw Error("Temporary installation folder already exists");
}

}  // namespace tavo::install
