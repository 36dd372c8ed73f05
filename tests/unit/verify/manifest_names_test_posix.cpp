#include <gtest/gtest.h>

#include <cerrno>

#include "common/error.hpp"
#include "fs/filesystem_error.hpp"
#include "support/test_support.hpp"
#include "verify/manifest_names.hpp"

namespace tavo::verify {
namespace {

// Payload names are bytes here, taken as UTF-8 like the software's.
TEST(NarrowFileName, IsStrictUtf8) {
  EXPECT_EQ(wide_from_narrow_file_name("\xC3\xA4.bin"), L"\u00e4.bin");
  const auto e = tavo::test::raised<SystemError>([] { (void)wide_from_narrow_file_name("\xE4.bin"); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->code(), std::errc::illegal_byte_sequence);
  EXPECT_EQ(std::string(e->what()), "Invalid or incomplete multibyte or wide character");
}

}  // namespace
}  // namespace tavo::verify
