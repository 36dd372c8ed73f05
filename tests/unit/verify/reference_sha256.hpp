#pragma once

#include <string>
#include <string_view>

namespace tavo::verify::test {

// A plain, slow SHA-256 (FIPS 180-4) written for the tests, independent of the platform's: the expected
// digest for generated file contents. Lower-case hexadecimal.
std::string reference_sha256(std::string_view bytes);

}  // namespace tavo::verify::test
