#include <iostream>
#include <string>
#include <vector>

#include "common/utf8.hpp"
#include "package/package_tool.hpp"
#include "package/terminal.hpp"

int main(int argc, char** argv) {
  // Arguments are bytes here; a name that is not UTF-8 keeps its bytes through the wide form.
  std::vector<std::wstring> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(tavo::wide_from_utf8(argv[i]));
  return tavo::package::run_package_tool(
      arguments, {std::cout, std::cerr, tavo::package::standard_error_is_terminal()});
}
