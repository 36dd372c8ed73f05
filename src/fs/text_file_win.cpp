#include <share.h>
#include <stdio.h>

#include "fs/text_file.hpp"

namespace tavo::fs {

std::FILE* open_text_file(const Path& path, bool write) noexcept {
  return ::_wfsopen(path.text().c_str(), write ? L"w" : L"r", _SH_DENYNO);
}

}  // namespace tavo::fs
