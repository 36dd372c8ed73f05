#pragma once

#include "setup/setup_system.hpp"

namespace tavo::setup {

class ProgressView;

// One whole run; returns the exit status: 0 prepared, 1 failed, 2 command line refused or not confirmed.
// The installation's progress is on progress_view from the confirmation until the installation has ended.
int run_setup(SetupSystem& system, ProgressView& progress_view);

}  // namespace tavo::setup
