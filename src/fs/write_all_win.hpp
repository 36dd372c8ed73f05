#pragma once
// The one write loop of the Windows build: every file that the programs write goes through it.

#include "sys/calls_win.hpp"

#include <string_view>
#include <system_error>

namespace tavo::fs::win_io {

// Writes all of `bytes` to the file at its current position, in pieces that one WriteFile takes, going on
// after a short write. Returns the system's error, empty when everything is written.
[[nodiscard]] std::error_code write_all(HANDLE file, std::string_view bytes) noexcept;

}  // namespace tavo::fs::win_io
