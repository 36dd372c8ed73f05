#pragma once
// The one write loop of the POSIX build: every file that the programs write goes through it.

#include <string_view>
#include <system_error>

namespace tavo::fs::posix_io {

// Writes all of `bytes` to the descriptor at its current offset, going on after a signal interrupted a write
// and after a short write. Returns the system's error, empty when everything is written.
[[nodiscard]] std::error_code write_all(int fd, std::string_view bytes) noexcept;

}  // namespace tavo::fs::posix_io
