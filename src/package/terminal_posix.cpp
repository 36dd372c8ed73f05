#include <unistd.h>

#include "package/package_tool.hpp"

namespace tavo::package {

bool standard_error_is_terminal() noexcept { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace tavo::package
