#pragma once
// The console the package tool writes to.

namespace tavo::package {

// Whether standard error is a terminal (then progress rewrites its line).
bool standard_error_is_terminal() noexcept;

}  // namespace tavo::package
