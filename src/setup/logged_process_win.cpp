#include "sys/calls_win.hpp"

#include <string>
#include <vector>

#include "common/error.hpp"
#include "common/run_log.hpp"
#include "common/system_error.hpp"
#include "sys/handles_win.hpp"
#include "fs/path_forms.hpp"
#include "setup/logged_process.hpp"

namespace tavo::setup {

static_assert(sizeof(SECURITY_ATTRIBUTES) == 24, "the x64 layout of SECURITY_ATTRIBUTES");
static_assert(sizeof(STARTUPINFOW) == 104, "the x64 layout of STARTUPINFOW");

std::uint32_t run_logged_process(const fs::Path& program, const std::wstring& argument, const fs::Path& log) {
  // Both handles are inheritable: the child receives them as its standard handles.
  SECURITY_ATTRIBUTES inheritable{};
  inheritable.nLength = sizeof inheritable;
  inheritable.lpSecurityDescriptor = nullptr;
  inheritable.bInheritHandle = TRUE;

  win::UniqueFileHandle log_handle(sys::CreateFileW(fs::system_path_text(log).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                                        &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!log_handle) throw Error("Cannot create installation log");
  // Not checked: without it the tool starts with an invalid standard input.
  win::UniqueFileHandle null_input(sys::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                             OPEN_EXISTING, 0, nullptr));

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = null_input.get();
  startup.hStdOutput = log_handle.get();
  startup.hStdError = log_handle.get();

  // Neither the application name nor the current directory takes the long-path form, and a current directory
  // holds at most MAX_PATH - 2 characters and its final backslash: in a deep target both are the short names.
  const fs::Path application = fs::launch_form(program, MAX_PATH);
  const fs::Path folder = fs::launch_form(fs::parent(program), MAX_PATH - 1);
  // The program quoted (its folder may hold blanks), the argument as it is; CreateProcessW may write into the
  // buffer, so it is a writable copy with its terminating NUL.
  const std::wstring line = L"\"" + application.text() + L"\" " + argument;
  std::vector<wchar_t> command_line(line.begin(), line.end());
  command_line.push_back(L'\0');

  PROCESS_INFORMATION process_info{};
  const BOOL started =
      sys::CreateProcessW(application.text().c_str(), command_line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                              nullptr, folder.empty() ? nullptr : folder.text().c_str(), &startup, &process_info);
  // Kept for the log: closing the handles below may change the thread's last error.
  const std::error_code launch_error = started ? std::error_code() : last_system_error();
  std::uint32_t exit_code = 1;
  if (started) {
    const win::UniqueHandle process(process_info.hProcess);
    const win::UniqueHandle thread(process_info.hThread);  // declared last: closed first
    if (sys::WaitForSingleObject(process.get(), INFINITE) == WAIT_OBJECT_0) {
      DWORD code = 1;
      if (sys::GetExitCodeProcess(process.get(), &code)) exit_code = static_cast<std::uint32_t>(code);
    }
  }
  log_handle.reset();
  null_input.reset();
  // Raised only now, so that no handle stays open; the log exists and is empty.
  if (!started) throw Error("Cannot start device helper", run_log::error_text(launch_error));
  return exit_code;
}

}  // namespace tavo::setup
