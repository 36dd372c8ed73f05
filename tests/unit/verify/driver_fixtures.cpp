#include "driver_fixtures.hpp"

#include <fstream>
#include <iterator>
#include <string_view>

#include "reference_sha256.hpp"
#include "verify/known_digests.hpp"

namespace tavo::verify::test {
namespace {

std::optional<std::string> fixture_with_digest(const char* name, std::string_view digest) {
  std::ifstream in(std::string(TAVO_TEST_FIXTURES_DIR "/driver/") + name, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (reference_sha256(bytes) != digest) return std::nullopt;
  return bytes;
}

}  // namespace

std::optional<std::string> original_driver_dll_bytes() {
  return fixture_with_digest("TavoDrv-original.dll", original_driver_dll_sha256);
}

std::optional<std::string> patched_driver_dll_bytes() {
  return fixture_with_digest("TavoDrv-patched.dll", patched_driver_dll_sha256);
}

}  // namespace tavo::verify::test
