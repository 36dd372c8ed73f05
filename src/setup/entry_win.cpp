#include <windows.h>

#include "setup/setup_flow.hpp"

// The GUI entry; its four arguments are not used: the command line is read with GetCommandLineW.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  tavo::setup::RealSetupSystem system(0, nullptr);
  return tavo::setup::run_setup(system);
}
