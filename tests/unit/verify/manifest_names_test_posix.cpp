#include <gtest/gtest.h>

#include <cerrno>

#include "common/setup_error.hpp"
#include "fs/filesystem_error.hpp"
#include "verify/manifest_names.hpp"

namespace tavo::verify {
namespace {

// Payload names are bytes here, taken as UTF-8 like the software's.
TEST(NarrowFileName, IsStrictUtf8) {
  EXPECT_EQ(wide_from_narrow_file_name("\xC3\xA4.bin"), L"\u00e4.bin");
  try {
    (void)wide_from_narrow_file_name("\xE4.bin");
    FAIL() << "no error";
  } catch (const SystemError& e) {
    EXPECT_EQ(e.code(), EILSEQ);
    EXPECT_EQ(std::string(e.what()), fs::system_error_description(EILSEQ));
  }
}

}  // namespace
}  // namespace tavo::verify
