#pragma once
// How the driver installer is started with elevated rights. POSIX build only.

#include <string>
#include <vector>

namespace tavo::setup {

// The command that runs program with root rights: the program itself when we already are root, else
// "pkexec" found on search_path (a PATH value; may be null) with the program as its argument. Empty when
// there is no way to elevate.
std::vector<std::string> elevation_command(const std::string& program, bool running_as_root, const char* search_path);

// pkexec's own exit codes for a dismissed (126) or refused (127) authentication: the installer did not run.
inline constexpr unsigned kPkexecDismissed = 126;
inline constexpr unsigned kPkexecNotAuthorized = 127;

}  // namespace tavo::setup
