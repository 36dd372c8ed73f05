#include "common/code_page.hpp"
#include "fs/filesystem_error.hpp"

namespace tavo::fs {

std::string narrow_for_message(const Path& path) { return narrow_for_file_api(path.text()); }

}  // namespace tavo::fs
