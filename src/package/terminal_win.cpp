#include "sys/calls_win.hpp"

#include "package/terminal.hpp"

namespace tavo::package {

// A console answers GetConsoleMode; a file or pipe does not.
bool standard_error_is_terminal() noexcept {
  DWORD mode = 0;
  return sys::GetConsoleMode(sys::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace tavo::package
