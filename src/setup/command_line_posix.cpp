#include "common/utf8.hpp"
#include "setup/command_line.hpp"

namespace tavo::setup {

std::optional<std::vector<std::wstring>> process_arguments(int argc, char** argv) {
  std::vector<std::wstring> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(wide_from_utf8(argv[i]));
  return arguments;
}

}  // namespace tavo::setup
