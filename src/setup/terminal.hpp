#pragma once

#include <string_view>

namespace tavo::setup {

// A line for whoever started the run from a terminal: natively on standard error. The Windows program has no
// console and says nothing (its log holds the line).
void tell_terminal(std::string_view line);

}  // namespace tavo::setup
