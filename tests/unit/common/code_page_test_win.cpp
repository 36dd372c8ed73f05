#include <windows.h>

#include <gtest/gtest.h>

#include "common/code_page.hpp"

namespace tavo {
namespace {

TEST(NarrowInCodePage, UnicodeCodePageGivesUtf8) {
  // A Windows whose ANSI code page is UTF-8 must still name paths and errors in its messages.
  EXPECT_EQ(narrow_in_code_page(L"Zugriff verweigert: \"C:\\Gr\u00FC\u00DFe\\\u20AC\"", CP_UTF8),
            "Zugriff verweigert: \"C:\\Gr\xC3\xBC\xC3\x9F" "e\\\xE2\x82\xAC\"");
}

TEST(NarrowInCodePage, UnmappableCharactersBecomeTheDefaultCharacter) {
  EXPECT_EQ(narrow_in_code_page(L"Gr\u00FC\u00DFe \u0100", 1252), "Gr\xFC\xDF" "e ?");
}

TEST(NarrowInCodePage, EveryInstalledCodePageConvertsWithTheFlagsItIsGiven) {
  // Code pages that refuse every flag, and ordinary ANSI, OEM and East Asian ones.
  int tried = 0;
  for (unsigned code_page : {65001u, 65000u, 42u, 50220u, 50221u, 50222u, 50225u, 50227u, 50229u, 57002u, 57006u,
                             57011u, 1252u, 1250u, 1251u, 850u, 437u, 932u, 936u, 949u, 950u}) {
    if (!IsValidCodePage(code_page)) continue;
    ++tried;
    EXPECT_FALSE(narrow_in_code_page(L"Ziel 1", code_page).empty()) << "code page " << code_page;
  }
  EXPECT_GE(tried, 5);
}

}  // namespace
}  // namespace tavo
