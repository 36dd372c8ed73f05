#include <windows.h>

#include "sys/gate.hpp"
#include "sys/this_process.hpp"

namespace tavo {

std::uint32_t current_process_id() noexcept { return ::GetCurrentProcessId(); }

void sleep_milliseconds(unsigned milliseconds) noexcept {
  if (!sys::pause_skipped(milliseconds)) ::Sleep(milliseconds);
}

}  // namespace tavo
