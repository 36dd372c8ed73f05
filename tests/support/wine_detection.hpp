#pragma once

namespace tavo::test {

// True when the Windows build runs under Wine, which differs from Windows in a few places the tests meet
// (trailing spaces of file names, elevation without a prompt).
bool running_under_wine();

}  // namespace tavo::test
