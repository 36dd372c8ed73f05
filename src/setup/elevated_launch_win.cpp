#include "sys/calls_win.hpp"

#include <string>

#include "sys/handles_win.hpp"
#include "common/run_log.hpp"
#include "common/system_error.hpp"
#include "fs/path_forms.hpp"
#include "setup/elevated_launch.hpp"
#include "setup/owner_window_win.hpp"

namespace tavo::setup {

static_assert(sizeof(SHELLEXECUTEINFOW) == 112, "the x64 layout of SHELLEXECUTEINFOW");

std::optional<std::uint32_t> run_elevated(const fs::Path& program) {
  // ShellExecuteExW takes no long-path form: in a deep target the installer is started by its short name.
  const std::wstring file = fs::launch_form(program, MAX_PATH).text();
  // The progress window owns the consent prompt, which then comes up in front of it; no parameters, no
  // working directory: the installer starts in our current directory.
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = owner_window();
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = L"runas";
  info.lpFile = file.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!sys::ShellExecuteExW(&info)) {
    // Missing installer, or elevation declined (ERROR_CANCELLED).
    run_log::note("Driver installer: ShellExecuteExW failed, system code " + run_log::error_text(last_system_error()));
    return std::nullopt;
  }

  const win::UniqueHandle process(info.hProcess);
  if (!process) return std::nullopt;
  // Without a completed wait the exit code would read STILL_ACTIVE, which is no answer of the installer.
  if (sys::WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0) return std::nullopt;
  DWORD exit_code = 0;
  if (!sys::GetExitCodeProcess(process.get(), &exit_code)) return std::nullopt;
  return static_cast<std::uint32_t>(exit_code);
}

}  // namespace tavo::setup
