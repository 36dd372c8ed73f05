#include "common/code_page.hpp"

#include <gtest/gtest.h>

namespace tavo {
namespace {

// Two facts from WideCharToMultiByte's documentation; whether every code page converts with the flags it is
// given is tried on Windows (code_page_test_win.cpp).
TEST(NarrowingFlags, Utf8TakesNoFlagAndAnAnsiCodePageRefusesLookAlikes) {
  EXPECT_EQ(narrowing_flags(65001), 0u);  // CP_UTF8: only 0 or WC_ERR_INVALID_CHARS
  EXPECT_EQ(narrowing_flags(1252), 0x400u);  // WC_NO_BEST_FIT_CHARS
}

}  // namespace
}  // namespace tavo
