#include <iostream>

#include "setup/terminal.hpp"

namespace tavo::setup {

void tell_terminal(std::string_view line) { std::cerr << line << '\n' << std::flush; }

}  // namespace tavo::setup
