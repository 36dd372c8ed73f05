#pragma once

namespace tavo::verify::test {

// True when the Windows build runs under Wine, whose file calls drop a name's trailing spaces even in the
// long-path form, unlike Windows.
bool running_under_wine();

}  // namespace tavo::verify::test
