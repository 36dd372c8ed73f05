#include "setup/driver_binding.hpp"

#include <optional>

#include "common/progress.hpp"
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
  std::uint32_t status = run_logged_process(fs::join(target_dir, kDeviceCheckTool), kDeviceCheckArgument,
                                            fs::join(target_dir, kDeviceCheckLog));
  if (status == 0) return 0;

  // A launch that fails or is declined is no error: the completion message tells the user to start the
  // installer by hand. The device check is not repeated; the installer's exit code alone decides.
  progress::start_phase(progress::Phase::setting_up_driver);
  if (const std::optional<std::uint32_t> installer_status = run_elevated(fs::join(target_dir, kDriverInstaller))) {
    status = *installer_status;
  }
  return status;
}

}  // namespace tavo::setup
