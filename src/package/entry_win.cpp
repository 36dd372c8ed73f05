#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

#include "package/package_tool.hpp"
#include "package/terminal.hpp"

namespace {

// The console's output code page for the length of the run: the console belongs to the shell that started the
// tool, and its later programs expect the code page they had.
class ConsoleOutputCodePage {
 public:
  explicit ConsoleOutputCodePage(UINT code_page) : previous_(::GetConsoleOutputCP()) {
    if (previous_ != 0) ::SetConsoleOutputCP(code_page);
  }
  ConsoleOutputCodePage(const ConsoleOutputCodePage&) = delete;
  ConsoleOutputCodePage& operator=(const ConsoleOutputCodePage&) = delete;
  ~ConsoleOutputCodePage() {
    std::cout.flush();
    std::cerr.flush();
    if (previous_ != 0) ::SetConsoleOutputCP(previous_);
  }

 private:
  UINT previous_;  // 0: no console
};

}  // namespace

// The console entry; names and messages are written in UTF-8, and the console is told so while the tool runs.
int wmain(int argc, wchar_t** argv) {
  const ConsoleOutputCodePage utf8(CP_UTF8);
  std::vector<std::wstring> arguments(argv + 1, argv + argc);
  return tavo::package::run_package_tool(
      arguments, {std::cout, std::cerr, tavo::package::standard_error_is_terminal()});
}
