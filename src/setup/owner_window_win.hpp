#pragma once
// The window that owns what the run shows of its own: the progress window while it is on screen.

#include "sys/calls_win.hpp"

namespace tavo::setup {

// The progress window while it is open, else null. An elevated launch hands it to the consent prompt, which
// then comes up in front instead of as a flashing taskbar button.
HWND owner_window() noexcept;

}  // namespace tavo::setup
