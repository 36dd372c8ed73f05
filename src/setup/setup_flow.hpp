#pragma once

#include "setup/setup_system.hpp"

namespace tavo::setup {

// One whole run; returns the exit status: 0 prepared, 1 failed, 2 command line refused or not confirmed.
int run_setup(SetupSystem& system);

}  // namespace tavo::setup
