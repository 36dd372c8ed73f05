#include <string>

#include "install/installation_names.hpp"
#include "install/transaction.hpp"

namespace tavo::install {

fs::Path staging_folder(const fs::Path& target_dir, std::uint32_t process_id) {
  return target_dir + kStagingInfix + std::to_wstring(process_id);
}

}  // namespace tavo::install
