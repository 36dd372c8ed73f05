#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tavo::setup {

struct CommandLine {
  bool prepare_only = false;
  std::wstring target;  // the last "--target" value; empty means the Documents default
  std::wstring log;     // the last "--log" value; empty means the run's log in the temporary folder
};

// Why a command line was refused, for the run's log: its first refused argument, and the place that a "--log"
// anywhere on it names all the same (a deployment script's log should hold the refusal too).
struct Refusal {
  std::string reason;  // UTF-8, such as: unknown argument "--verbose"
  std::wstring log;
};

// Scans the arguments after the program's own path. Nothing when the command line is refused:
// an unknown argument, "--source"/"--target"/"--log" without a value, or on Windows a target with a quotation
// mark; `refusal` (if given) then says why.
[[nodiscard]] std::optional<CommandLine> scan_command_line(const std::vector<std::wstring>& arguments,
                                                           Refusal* refusal = nullptr);

// The process's arguments after the program's own path (CommandLineToArgvW on Windows); nothing when the
// command line cannot be split.
std::optional<std::vector<std::wstring>> process_arguments(int argc, char** argv);

// The command line as the process received it, for the log: on Windows its one text, natively the arguments
// each in double quotes.
std::wstring command_line_text(int argc, char** argv);

}  // namespace tavo::setup
