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

}  // namespace
}  // namespace tavo
