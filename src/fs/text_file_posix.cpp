#include <cstdio>

#include "common/utf8.hpp"
#include "fs/text_file.hpp"

namespace tavo::fs {

std::FILE* open_text_file(const Path& path, bool write) noexcept {
  try {
    return std::fopen(utf8_from_wide(path.text()).c_str(), write ? "we" : "re");
  } catch (...) {
    return nullptr;
  }
}

}  // namespace tavo::fs
