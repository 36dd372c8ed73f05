#include <windows.h>

#include "sys/gate.hpp"
#include "sys/this_process.hpp"

namespace tavo {

std::uint32_t current_process_id() noexcept { return ::GetCurrentProcessId(); }

std::uint64_t monotonic_milliseconds() noexcept {
  std::uint64_t skipped = 0;
  return sys::clock_skipped(skipped) ? skipped : ::GetTickCount64();
}

void wait_with_messages(unsigned milliseconds) noexcept {
  const ULONGLONG end = ::GetTickCount64() + milliseconds;
  for (;;) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    const ULONGLONG now = ::GetTickCount64();
    if (now >= end) return;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
  }
}

void block_thread(unsigned milliseconds) noexcept { ::Sleep(milliseconds); }

// Windows takes a window whose thread has not asked for messages for 5 seconds for hung, and lets the user end
// the program: the thread's windows are served while it waits.
void sleep_milliseconds(unsigned milliseconds) noexcept {
  if (!sys::pause_skipped(milliseconds)) wait_with_messages(milliseconds);
}

}  // namespace tavo
