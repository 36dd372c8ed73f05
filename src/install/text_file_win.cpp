#include <share.h>
#include <stdio.h>

#include "install/text_file.hpp"

namespace tavo::install {

std::FILE* open_text_file(const fs::Path& path, bool write) noexcept {
  return ::_wfsopen(path.text().c_str(), write ? L"w" : L"r", _SH_DENYNO);
}

}  // namespace tavo::install
