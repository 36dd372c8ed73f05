#include "common/code_page.hpp"

#include <gtest/gtest.h>

namespace tavo {
namespace {

constexpr unsigned long kNoBestFitChars = 0x400;

TEST(NarrowingFlags, CodePagesThatRefuseEveryFlagGetNone) {
  for (unsigned code_page : {65001u, 65000u, 42u, 50220u, 50221u, 50222u, 50225u, 50227u, 50229u, 57002u, 57006u,
                             57011u}) {
    EXPECT_EQ(narrowing_flags(code_page), 0u) << code_page;
  }
}

TEST(NarrowingFlags, OtherCodePagesNeverTakeALookAlike) {
  for (unsigned code_page : {1252u, 1250u, 850u, 437u, 932u, 936u, 949u, 950u, 1200u, 50000u, 50228u, 57001u,
                             57012u, 65002u}) {
    EXPECT_EQ(narrowing_flags(code_page), kNoBestFitChars) << code_page;
  }
}

}  // namespace
}  // namespace tavo
