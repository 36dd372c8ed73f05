#pragma once
// The running process: its id, and a pause of the calling thread.

#include <cstdint>

namespace tavo {

// The id that the operating system reports for this process.
std::uint32_t current_process_id() noexcept;

void sleep_milliseconds(unsigned milliseconds) noexcept;

}  // namespace tavo
