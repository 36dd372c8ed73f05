#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "sys/gate.hpp"
#include "sys/this_process.hpp"

namespace tavo {

std::uint32_t current_process_id() noexcept { return static_cast<std::uint32_t>(::getpid()); }

std::uint64_t monotonic_milliseconds() noexcept {
  std::uint64_t skipped = 0;
  if (sys::clock_skipped(skipped)) return skipped;
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

void wait_with_messages(unsigned milliseconds) noexcept { block_thread(milliseconds); }

void block_thread(unsigned milliseconds) noexcept {
  timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

void sleep_milliseconds(unsigned milliseconds) noexcept {
  if (!sys::pause_skipped(milliseconds)) wait_with_messages(milliseconds);
}

}  // namespace tavo
