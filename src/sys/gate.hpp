#pragma once
// The gate that every call through the door passes. In the shipped program it is nothing at all; in the test
// build it counts the call, runs a test's hook planned just before it, and says whether the fault switch
// makes it fail (the platform's last error, errno or GetLastError, then holds the planned code).

#include <cstdint>

namespace tavo::sys {

#if defined(TAVO_TEST_BUILD)
bool refused(const char* call) noexcept;
// Keeps the flags a call was given, for a test to look at (the final rename's).
void note_flags(const char* call, unsigned long flags) noexcept;
// Counts a pause of the program (the final rename's retries); true when a test runs without waiting.
bool pause_skipped(unsigned milliseconds) noexcept;
// Whether a test wants notes (TAVO_DOOR note=<file>), and one line into that file (what a call was given).
bool notes_wanted() noexcept;
void note(const char* line) noexcept;
// While a test skips the pauses, the program's clock is theirs: `milliseconds` receives the sum of the pauses
// skipped so far, and the result is true.
bool clock_skipped(std::uint64_t& milliseconds) noexcept;
#else
inline constexpr bool refused(const char*) noexcept { return false; }
inline constexpr void note_flags(const char*, unsigned long) noexcept {}
inline constexpr bool pause_skipped(unsigned) noexcept { return false; }
inline constexpr bool notes_wanted() noexcept { return false; }
inline constexpr void note(const char*) noexcept {}
inline constexpr bool clock_skipped(std::uint64_t&) noexcept { return false; }
#endif

}  // namespace tavo::sys
