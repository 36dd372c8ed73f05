#include "package/temporary_file.hpp"

#include <string>
#include <utility>

#include "sys/this_process.hpp"

namespace tavo::package {

TemporaryFile::TemporaryFile(fs::Path final_path) : final_path_(std::move(final_path)), path_(name_for(final_path_)) {}

fs::Path TemporaryFile::name_for(const fs::Path& final_path) {
  return fs::with_suffix(final_path, L".tmp-" + std::to_wstring(current_process_id()));
}

}  // namespace tavo::package
