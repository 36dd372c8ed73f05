#include <windows.h>

#include "setup/setup_flow.hpp"

// The GUI entry; its four arguments are not used: the command line is read with GetCommandLineW.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return tavo::setup::run_setup(tavo::setup::system_operations(0, nullptr));
}
