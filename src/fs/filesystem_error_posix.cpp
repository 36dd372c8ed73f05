#include "common/utf8.hpp"
#include "fs/filesystem_error.hpp"

namespace tavo::fs {

std::string narrow_for_message(const Path& path) { return utf8_from_wide(path.text()); }

}  // namespace tavo::fs
