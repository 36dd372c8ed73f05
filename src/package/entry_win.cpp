#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

#include "package/package_tool.hpp"
#include "package/terminal.hpp"

// The console entry; names and messages are written in UTF-8, and the console is told so.
int wmain(int argc, wchar_t** argv) {
  ::SetConsoleOutputCP(CP_UTF8);
  std::vector<std::wstring> arguments(argv + 1, argv + argc);
  return tavo::package::run_package_tool(
      arguments, {std::cout, std::cerr, tavo::package::standard_error_is_terminal()});
}
