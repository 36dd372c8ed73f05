#include "common/utf8.hpp"

#include <gtest/gtest.h>

namespace tavo {
namespace {

TEST(Utf8FromWide, EncodesEveryCodePointAndOnlyThose) {
  EXPECT_EQ(utf8_from_wide(L"Gr\u00FC\u00DFe \u20AC"), "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC");
  EXPECT_EQ(utf8_from_wide(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");  // a lone surrogate
  std::wstring astral;  // U+1F600 as the platform's wide text holds it
  if constexpr (sizeof(wchar_t) == 2) {
    append_utf16(astral, 0x1F600);
  } else {
    astral.push_back(static_cast<wchar_t>(0x1F600));
  }
  EXPECT_EQ(utf8_from_wide(astral), "\xF0\x9F\x98\x80");
  if constexpr (sizeof(wchar_t) == 4) {
    // A 32-bit wchar_t can hold values that no UTF-8 sequence stands for.
    EXPECT_EQ(utf8_from_wide(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
    EXPECT_EQ(utf8_from_wide(std::wstring(1, static_cast<wchar_t>(0x7FFFFFFF))), "\xEF\xBF\xBD");
  }
}

TEST(Utf8FromWide, BytesThatWereNoUtf8ComeBackUnchanged) {
  const std::string name = "Gr\xFC\xDF" "e \xC3\xBC";  // Latin-1 bytes beside UTF-8
  EXPECT_EQ(utf8_from_wide(wide_from_utf8(name)), name);
  EXPECT_EQ(wide_from_utf8_strict(name), std::nullopt);
}

TEST(AppendUtf16, SplitsCodePointsAboveTheBasicPlane) {
  std::wstring units;
  append_utf16(units, 0x41);
  append_utf16(units, 0x10000);
  append_utf16(units, 0x10FFFF);
  const std::wstring expected = {L'A', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0xDC00),
                                 static_cast<wchar_t>(0xDBFF), static_cast<wchar_t>(0xDFFF)};
  EXPECT_EQ(units, expected);
}

}  // namespace
}  // namespace tavo
