#include <windows.h>

#include "setup/progress_meter.hpp"
#include "setup/setup_flow.hpp"

// The GUI entry; its four arguments are not used: the command line is read with GetCommandLineW.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  tavo::setup::RealSetupSystem system(0, nullptr);
  const std::unique_ptr<tavo::setup::ProgressView> progress = tavo::setup::make_progress_view();
  return tavo::setup::run_setup(system, *progress);
}
