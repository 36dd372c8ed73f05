// Read failures that only the POSIX build can provoke without a seam.
#include <gtest/gtest.h>

#include "common/error.hpp"
#include "support/test_support.hpp"
#include "verify/sha256.hpp"

namespace tavo::verify {
namespace {

TEST(FileSha256Posix, ReadFailureAfterOpeningIsACalculationFailure) {
  // A regular file by its status whose first read fails (EIO: address 0 is not mapped).
  const auto e = tavo::test::raised<Error>([&] { (void)file_sha256(fs::Path(L"/proc/self/mem")); });
  ASSERT_TRUE(e);
  EXPECT_STREQ(e->what(), "SHA256 calculation failed");
}

TEST(FileSha256Posix, PipesAndDevicesAreNotRead) {
  // A pipe would wait for a writer and a device would never end; neither is a file to verify.
  for (const wchar_t* path : {L"/dev/zero", L"/dev/null"}) {
    const auto e = tavo::test::raised<Error>([&] { (void)file_sha256(fs::Path(path)); });
    ASSERT_TRUE(e);
    EXPECT_STREQ(e->what(), "Cannot read input file");
  }
}

}  // namespace
}  // namespace tavo::verify
