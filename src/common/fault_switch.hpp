#pragma once
// The fault switch: every platform call that touches the file system or starts a process asks it first. In
// the shipped program it is compiled away; in the test build (TAVO_FAULT_SWITCH) it counts the calls, records
// their names when asked, and makes the planned one fail with a chosen error, so that a test can walk a whole
// installation failing each call in turn.

namespace tavo::fault {

#if defined(TAVO_FAULT_SWITCH)
// Counts the call; true when it is to fail, the platform's last error (errno, GetLastError) then being the
// planned code. The caller then takes its own failure path, as if the system had refused.
bool inject(const char* call) noexcept;
#else
inline constexpr bool inject(const char*) noexcept { return false; }
#endif

}  // namespace tavo::fault
