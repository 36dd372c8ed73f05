#pragma once

#include <cstdint>
#include <optional>

#include "fs/path.hpp"

namespace tavo::setup {

// Starts the program with elevated rights, without arguments, shown normally, in the current directory, and
// waits for its end without a time limit. Returns its exit code; nothing when it could not be launched, the
// elevation was declined or its exit code cannot be read. Raises nothing of its own.
std::optional<std::uint32_t> run_elevated(const fs::Path& program);

}  // namespace tavo::setup
