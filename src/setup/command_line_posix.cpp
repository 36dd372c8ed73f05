#include "common/utf8.hpp"
#include "setup/command_line.hpp"

namespace tavo::setup {

std::optional<std::vector<std::wstring>> process_arguments(int argc, char** argv) {
  std::vector<std::wstring> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(wide_from_utf8(argv[i]));
  return arguments;
}

}  // namespace tavo::setup

namespace tavo::setup {

std::wstring command_line_text(int argc, char** argv) {
  std::wstring text;
  for (int i = 0; i < argc; ++i) {
    if (i > 0) text += L' ';
    text += L'"' + wide_from_utf8(argv[i]) + L'"';
  }
  return text;
}

}  // namespace tavo::setup
