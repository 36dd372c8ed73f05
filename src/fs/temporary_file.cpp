#include "fs/temporary_file.hpp"

#include <string>
#include <utility>

#include "sys/this_process.hpp"

namespace tavo::fs {

TemporaryFile::TemporaryFile(Path path, Path final_path) noexcept
    : path_(std::move(path)), final_path_(std::move(final_path)) {}

Path temporary_name_for(const Path& final_path) {
  return with_suffix(final_path, L".tmp-" + std::to_wstring(current_process_id()));
}

}  // namespace tavo::fs
