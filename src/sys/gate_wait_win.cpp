#if defined(TAVO_TEST_BUILD)

#include <windows.h>

#include "sys/gate_wait.hpp"

namespace tavo::sys::detail {

void wait_a_moment() noexcept {
  ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

}  // namespace tavo::sys::detail

#endif
