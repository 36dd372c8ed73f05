#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tavo::package {

// Where a run of the package tool writes: results and problems to `out`, progress and failures to `err`.
struct Console {
  std::ostream& out;
  std::ostream& err;
  bool err_is_terminal;
};

// One run of the package tool with the arguments after the program name. The one place where its failures
// are caught. Returns the exit status: 0 done, 1 problems found or a failure, 2 command line refused.
int run_package_tool(const std::vector<std::wstring>& arguments, const Console& console);

}  // namespace tavo::package
