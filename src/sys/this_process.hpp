#pragma once
// The running process: its id, and a pause of the calling thread.

#include <cstdint>

namespace tavo {

// The id that the operating system reports for this process.
std::uint32_t current_process_id() noexcept;

// A pause of the calling thread (the final rename's retries; a test may skip it). On Windows the thread's
// windows are served meanwhile.
void sleep_milliseconds(unsigned milliseconds) noexcept;

// Milliseconds on a clock that only goes forward (from an arbitrary start): for deadlines. While a test skips
// the pauses, it is the sum of the pauses skipped.
std::uint64_t monotonic_milliseconds() noexcept;

// The same wait, never skipped.
void wait_with_messages(unsigned milliseconds) noexcept;

// The thread does nothing for that long, not even serve its windows, as during a slow call (the test build's
// delays).
void block_thread(unsigned milliseconds) noexcept;

}  // namespace tavo
