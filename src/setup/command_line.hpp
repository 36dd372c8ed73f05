#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tavo::setup {

struct CommandLine {
  bool prepare_only = false;
  std::wstring target;  // the last "--target" value; empty means the Documents default
};

// Scans the arguments after the program's own path. Nothing when the command line is refused:
// an unknown argument, "--source"/"--target" without a value, or on Windows a target with a quotation mark.
[[nodiscard]] std::optional<CommandLine> scan_command_line(const std::vector<std::wstring>& arguments);

// The process's arguments after the program's own path (CommandLineToArgvW on Windows); nothing when the
// command line cannot be split.
std::optional<std::vector<std::wstring>> process_arguments(int argc, char** argv);

}  // namespace tavo::setup
