#include "fs/write_all_posix.hpp"

#include "sys/calls_posix.hpp"

#include <cerrno>

#include "common/system_error.hpp"

namespace tavo::fs::posix_io {

std::error_code write_all(int fd, std::string_view bytes) noexcept {
  while (!bytes.empty()) {
    const ssize_t written = sys::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return last_system_error();
    // A regular file takes at least one byte or fails; nothing written would loop for ever.
    if (written == 0) return system_error_code(EIO);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return {};
}

}  // namespace tavo::fs::posix_io
