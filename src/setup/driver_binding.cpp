#include "setup/driver_binding.hpp"

#include <optional>

#include "common/progress.hpp"
#include "common/run_log.hpp"
#include "setup/elevated_launch.hpp"
#include "setup/logged_process.hpp"

namespace tavo::setup {
namespace {

constexpr wchar_t kDeviceCheckTool[] = L"Treiber/device_binding.exe";
constexpr wchar_t kDeviceCheckArgument[] = L"--check-tavo";
constexpr wchar_t kDeviceCheckLog[] = L"Logs/treiberpruefung.txt";
constexpr wchar_t kDriverInstaller[] = L"TAVO-Treiber-installieren.exe";

}  // namespace

std::uint32_t ensure_driver_binding(const fs::Path& target_dir) {
  progress::start_phase(progress::Phase::checking_device);
  const fs::Path tool = fs::join(target_dir, kDeviceCheckTool);
  const fs::Path tool_log = fs::join(target_dir, kDeviceCheckLog);
  run_log::note("Device check: " + run_log::quoted(tool.text()) + " " + run_log::quoted(kDeviceCheckArgument) +
                ", its output into " + run_log::quoted(tool_log.text()));
  std::uint32_t status = run_logged_process(tool, kDeviceCheckArgument, tool_log);
  run_log::note("Device check: exit code " + std::to_string(status) +
                (status == 0 ? " (the instrument is bound to WinUSB)" : " (the driver binding is missing)"));
  if (status == 0) return 0;

  // A launch that fails or is declined is no error: the completion message tells the user to start the
  // installer by hand. The device check is not repeated; the installer's exit code alone decides.
  progress::start_phase(progress::Phase::setting_up_driver);
  const fs::Path installer = fs::join(target_dir, kDriverInstaller);
  run_log::note("Driver installer: starting " + run_log::quoted(installer.text()) + " with elevated rights");
  if (const std::optional<std::uint32_t> installer_status = run_elevated(installer)) {
    status = *installer_status;
    run_log::note("Driver installer: exit code " + std::to_string(status));
  } else {
    run_log::note("Driver installer: not started, declined, or its end not learnt; the status stays " +
                  std::to_string(status));
  }
  return status;
}

}  // namespace tavo::setup
