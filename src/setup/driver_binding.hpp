#pragma once

#include <cstdint>

#include "fs/path.hpp"

namespace tavo::setup {

// Runs the installed device-check tool and, when the binding is missing, the driver installer elevated.
// Returns the final status: 0 when the instrument's WinUSB binding is ready.
std::uint32_t ensure_driver_binding(const fs::Path& target_dir);

}  // namespace tavo::setup
