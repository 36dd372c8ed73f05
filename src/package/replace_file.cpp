#include "package/replace_file.hpp"

#include <string>

#include "install/process_info.hpp"

namespace tavo::package {

fs::Path temporary_beside(const fs::Path& path) {
  return path + (L".tmp-" + std::to_wstring(install::current_process_id()));
}

}  // namespace tavo::package
