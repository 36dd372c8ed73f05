#pragma once
// How the test build's door waits while a test holds the run (gate.cpp). Not part of the shipped program.

namespace tavo::sys::detail {

// Waits a few milliseconds. On Windows the thread's windows get their messages meanwhile, as the program's own
// waits give them: a held run shows a window that answers, not one that Windows takes for hung.
void wait_a_moment() noexcept;

}  // namespace tavo::sys::detail
