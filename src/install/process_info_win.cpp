#include <windows.h>

#include "install/process_info.hpp"

namespace tavo::install {

std::uint32_t current_process_id() noexcept { return ::GetCurrentProcessId(); }

void sleep_milliseconds(unsigned milliseconds) noexcept { ::Sleep(milliseconds); }

}  // namespace tavo::install
