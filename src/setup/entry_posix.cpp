#include "setup/setup_flow.hpp"

int main(int argc, char** argv) {
  tavo::setup::RealSetupSystem system(argc, argv);
  return tavo::setup::run_setup(system);
}
