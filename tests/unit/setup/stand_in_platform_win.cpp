#include <windows.h>

#include <stdexcept>

#include "common/utf8.hpp"
#include "sys/handles_win.hpp"
#include "stand_in_tools.hpp"
#include "support/wine_detection.hpp"

namespace tavo::test {

// Wine starts "runas" programs without a prompt; on Windows the consent prompt would wait for somebody.
bool elevation_without_prompt() { return running_under_wine(); }

// The launch is made without SEE_MASK_FLAG_NO_UI, so the shell reports a missing installer in a box of its own.
bool shell_shows_launch_errors() {
  return !elevation_without_prompt() || ::GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) != 0;
}

// Wine gives every windowless console child a console host that inherits the child's handles and ends a moment
// after the child; until then the log cannot be created anew. Windows' console host holds no such handle.
void wait_until_log_released(const fs::Path& log) {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const win::UniqueFileHandle handle(::CreateFileW(log.text().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (handle || ::GetLastError() != ERROR_SHARING_VIOLATION) return;
    ::Sleep(10);
  }
  throw std::runtime_error("test: the log stays held: " + utf8_from_wide(log.text()));
}

}  // namespace tavo::test
