#include <cstdio>

#include "common/utf8.hpp"
#include "setup/desktop.hpp"

namespace tavo::setup {

void write_result_file(const fs::Path& file, const std::string& content) noexcept {
  try {
    FILE* stream = std::fopen(utf8_from_wide(file.text()).c_str(), "w");
    if (stream == nullptr) return;
    std::fwrite(content.data(), 1, content.size(), stream);
    std::fclose(stream);
  } catch (...) {
    // Not noticed, as on Windows: the boxes and the exit status stay the same.
  }
}

}  // namespace tavo::setup
