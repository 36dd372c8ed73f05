#include <share.h>
#include <stdio.h>

#include "setup/desktop.hpp"

namespace tavo::setup {

void write_result_file(const fs::Path& file, const std::string& content) noexcept {
  // Text mode: each "\n" reaches the disk as CR LF. _SH_DENYNO (0x40) locks nobody out.
  FILE* stream = ::_wfsopen(file.text().c_str(), L"w", _SH_DENYNO);
  if (stream == nullptr) return;
  std::fwrite(content.data(), 1, content.size(), stream);
  std::fclose(stream);
}

}  // namespace tavo::setup
