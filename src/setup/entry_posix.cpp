#include "setup/progress_meter.hpp"
#include "setup/setup_flow.hpp"

int main(int argc, char** argv) {
  const std::unique_ptr<tavo::setup::ProgressView> progress = tavo::setup::make_progress_view();
  return tavo::setup::run_setup(tavo::setup::system_operations(argc, argv), *progress);
}
