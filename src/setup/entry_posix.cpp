#include "setup/setup_flow.hpp"

int main(int argc, char** argv) { return tavo::setup::run_setup(tavo::setup::system_operations(argc, argv)); }
