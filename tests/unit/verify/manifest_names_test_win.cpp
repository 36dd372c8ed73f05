#include <windows.h>

#include <gtest/gtest.h>

#include "verify/manifest_names.hpp"

namespace tavo::verify {
namespace {

// Payload names are in the ANSI code page, not UTF-8.
TEST(NarrowFileName, IsTheAnsiCodePage) {
  if (::GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << ::GetACP() << ", the case is written for 1252";
  EXPECT_EQ(wide_from_narrow_file_name("\xE4.bin"), L"\u00e4.bin");
  EXPECT_EQ(wide_from_narrow_file_name("\x80"), L"\u20ac");
  EXPECT_EQ(wide_from_narrow_file_name("\xC3\xA4"), L"\u00c3\u00a4");
}

}  // namespace
}  // namespace tavo::verify
