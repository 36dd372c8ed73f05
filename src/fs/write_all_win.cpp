#include "fs/write_all_win.hpp"

#include <algorithm>

#include "common/system_error.hpp"

namespace tavo::fs::win_io {

std::error_code write_all(HANDLE file, std::string_view bytes) noexcept {
  while (!bytes.empty()) {
    // One WriteFile takes at most a DWORD's count; smaller pieces keep each call short.
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), std::size_t{1} << 20));
    DWORD written = 0;
    if (!sys::WriteFile(file, bytes.data(), wanted, &written, nullptr)) {
      return last_system_error();
    }
    if (written == 0) return system_error_code(ERROR_WRITE_FAULT);
    bytes.remove_prefix(written);
  }
  return {};
}

}  // namespace tavo::fs::win_io
