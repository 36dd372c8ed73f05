#pragma once

#include <cstdint>
#include <string>

#include "fs/path.hpp"

namespace tavo::setup {

// Runs a console program without a window, standard output and error into the log (created anew), standard
// input from the null device; waits and returns its exit code. Raises Error "Cannot create installation
// log" or "Cannot start device helper" (its reason the system's code, for the run log).
std::uint32_t run_logged_process(const fs::Path& program, const std::wstring& argument, const fs::Path& log);

}  // namespace tavo::setup
