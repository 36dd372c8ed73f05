#pragma once
// The recording stand-in (tests/tools/recording_tool.cpp) put in place of the package's outside programs.

#include <optional>
#include <string>
#include <vector>

#include "fs/path.hpp"

namespace tavo::test {

// The built stand-in program.
fs::Path recording_tool();

// Copies the stand-in to path (parent folders made) and chooses its exit code ("<name>.exitcode" beside it);
// no exit_code leaves it at 0. exit_code may be "signal <n>" on POSIX.
void place_tool(const fs::Path& path, const std::optional<std::string>& exit_code = std::nullopt);

// One start of a stand-in as it recorded it.
struct ToolCall {
  std::string cwd;
  std::vector<std::string> arguments;
  std::string command_line;  // Windows only: the raw command line
  std::string stdin_state;   // "null", "other" or "closed"
};

// Every start of the stand-in at path, oldest first; empty when it never ran.
std::vector<ToolCall> tool_calls(const fs::Path& path);

// What the stand-in at path writes to standard output and standard error, in order.
std::string tool_output(const fs::Path& path);

// Whether this test run can start a program elevated without anybody answering a prompt.
bool elevation_without_prompt();

// Whether a failed elevated launch makes the shell show an error box that waits for somebody (Windows, and
// Wine when it has a display).
bool shell_shows_launch_errors();

// Returns when a finished child no longer holds the log (see the Windows half), so that the next run can
// create it anew.
void wait_until_log_released(const fs::Path& log);

}  // namespace tavo::test
