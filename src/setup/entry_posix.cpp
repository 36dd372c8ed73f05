#include "setup/progress_meter.hpp"
#include "setup/setup_flow.hpp"

int main(int argc, char** argv) {
  tavo::setup::RealSetupSystem system(argc, argv);
  const std::unique_ptr<tavo::setup::ProgressView> progress = tavo::setup::make_progress_view();
  return tavo::setup::run_setup(system, *progress);
}
