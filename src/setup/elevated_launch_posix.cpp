#include "sys/calls_posix.hpp"

#include <cstdlib>
#include <string>
#include <vector>

#include "common/run_log.hpp"
#include "common/utf8.hpp"
#include "setup/child_process_posix.hpp"
#include "setup/elevated_launch.hpp"
#include "setup/elevation_command_posix.hpp"

namespace tavo::setup {

std::optional<std::uint32_t> run_elevated(const fs::Path& program) {
  const std::vector<std::string> command =
      elevation_command(utf8_from_wide(program.text()), sys::geteuid() == 0, std::getenv("PATH"));
  if (command.empty()) {
    run_log::note("Driver installer: not root, and no pkexec on PATH");
    return std::nullopt;
  }
  if (command.size() > 1) run_log::note("Driver installer: through " + run_log::quoted_utf8(command.front()));

  // Standard handles and the current folder are ours: the installer is shown normally and starts where we are.
  const std::optional<pid_t> child = spawn_child(command.front(), command, nullptr);
  if (!child) return std::nullopt;
  const std::optional<std::uint32_t> exit_code = wait_for_child(*child);
  const bool through_pkexec = command.size() > 1;
  if (through_pkexec && exit_code && (*exit_code == kPkexecDismissed || *exit_code == kPkexecNotAuthorized)) {
    run_log::note("Driver installer: elevation declined (pkexec exit code " + std::to_string(*exit_code) + ")");
    return std::nullopt;  // elevation declined: the installer never ran
  }
  return exit_code;
}

}  // namespace tavo::setup
