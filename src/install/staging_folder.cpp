#include "install/staging_folder.hpp"

#include <string>

#include "common/error.hpp"
#include "fs/file_operations.hpp"
#include "fs/filesystem_error.hpp"
#include "install/installation_names.hpp"

namespace tavo::install {

namespace {

std::wstring staging_suffix(std::uint32_t process_id, unsigned attempt) {
  std::wstring suffix = kStagingInfix + std::to_wstring(process_id);
  if (attempt > 1) suffix += L"-" + std::to_wstring(attempt);
  return suffix;
}

}  // namespace

fs::Path staging_folder(const fs::Path& target_dir, std::uint32_t process_id, unsigned attempt) {
  return fs::with_suffix(target_dir, staging_suffix(process_id, attempt));
}

StagingFolder create_staging_folder(const fs::HeldFolder& parent, std::wstring_view target_name,
                                    std::uint32_t process_id) {
  for (unsigned attempt = 1; attempt <= kStagingNames; ++attempt) {
    StagingFolder staging;
    staging.name = std::wstring(target_name) + staging_suffix(process_id, attempt);
    const std::error_code error = parent.create_folder(staging.name, staging.folder);
    if (!error) return staging;
    if (error != std::errc::file_exists) {
      throw fs::FileSystemError("create_directory", error, fs::join(parent.path(), staging.name));
    }
  }
  throw Error("Temporary installation folder already exists");
}

}  // namespace tavo::install
