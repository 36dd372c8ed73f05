#pragma once

#include <optional>
#include <string>

namespace tavo::verify::test {

// The bytes of the fixture driver DLLs, when this build was configured to know them (their digests are
// the build's known digests); nothing otherwise, and the test that needs them skips.
std::optional<std::string> original_driver_dll_bytes();
std::optional<std::string> patched_driver_dll_bytes();

inline constexpr const char* kFixtureDigestsSkipReason =
    "this build's known driver DLL digests are not those of tests/fixtures/driver (configure with them)";

}  // namespace tavo::verify::test
