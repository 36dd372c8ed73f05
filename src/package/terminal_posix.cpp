#include "sys/calls_posix.hpp"

#include "package/terminal.hpp"

namespace tavo::package {

bool standard_error_is_terminal() noexcept { return sys::isatty(STDERR_FILENO) == 1; }

}  // namespace tavo::package
