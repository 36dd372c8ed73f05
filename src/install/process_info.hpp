#pragma once

#include <cstdint>

namespace tavo::install {

// The id that the operating system reports for this process.
std::uint32_t current_process_id() noexcept;

void sleep_milliseconds(unsigned milliseconds) noexcept;

}  // namespace tavo::install
