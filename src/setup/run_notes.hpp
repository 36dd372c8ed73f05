#pragma once
// The setup flow's lines in the run's log: what the run was given, and how it ended.

#include <exception>
#include <string>
#include <string_view>

#include "fs/path.hpp"

namespace tavo::setup {

// "TAVO-Setup <version> (Windows x64 | native) build"
void note_program();

// "<label>: "<path>"", and the form the system is handed where it differs (the long-path form on Windows).
void note_folder(std::string_view label, const fs::Path& path);

// Everything a failure carries: its message and reason, and for a file-system or system error the operation,
// the system's code and text and the paths.
void note_failure(const std::exception& failure);

// The program's name as a user calls it, and the line that tells a terminal how.
const char* program_name() noexcept;
std::string usage_line();

}  // namespace tavo::setup
