#include "install/ini_encoding.hpp"

#include <gtest/gtest.h>

#include <cwchar>

namespace tavo::install {
namespace {

struct RoundTrip {
  const char* name;
  std::string bytes;
  IniEncoding encoding;
};

std::ostream& operator<<(std::ostream& os, const RoundTrip& c) { return os << c.name; }

class IniEncodingRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(IniEncodingRoundTrip, WritesBackTheSameBytes) {
  const IniText text = decode_ini_text(GetParam().bytes);
  EXPECT_EQ(text.encoding, GetParam().encoding);
  EXPECT_EQ(encode_ini_text(text), GetParam().bytes);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Table, IniEncodingRoundTrip,
    ::testing::Values(RoundTrip{"Ascii", "[A]\r\nk=v\r\n", IniEncoding::narrow},
                      RoundTrip{"AnsiBytesThatAreNotUtf8", "[A]\nk=Gr\xf6\xdf" "e\x81\n", IniEncoding::narrow},
                      RoundTrip{"Utf8WithoutMark", "[A]\nk=\xc3\xbc\n", IniEncoding::narrow},
                      RoundTrip{"Utf8WithMark", "\xef\xbb\xbf[A]\nk=\xc3\xbc\n", IniEncoding::utf8_bom},
                      RoundTrip{"Utf16Le", "\xff\xfe[\0A\0]\0\r\0\n\0\x3d\xd8\x00\xde"s, IniEncoding::utf16le},
                      RoundTrip{"Utf16Be", "\xfe\xff\0[\0A\0]\0\n"s, IniEncoding::utf16be},
                      RoundTrip{"Utf16WithOddByte", "\xff\xfe[\0x"s, IniEncoding::utf16le}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniEncoding, Utf16TextIsReadAsUnits) {
  const IniText text = decode_ini_text("\xff\xfek\0=\0"s);
  EXPECT_EQ(text.text, L"k=");
}

TEST(IniEncoding, ValuesBecomeUtf16UnitsForUtf16Files) {
  const std::wstring value = L"x\u00fc" + std::wstring(1, static_cast<wchar_t>(0x1F600 <= WCHAR_MAX ? 0x1F600 : 0xD83D));
  const std::wstring units = ini_elements(value, IniEncoding::utf16le).value();
  if constexpr (sizeof(wchar_t) == 2) {
    EXPECT_EQ(units, value);
  } else {
    EXPECT_EQ(units, (std::wstring{L'x', L'\u00fc', static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)}));
  }
  EXPECT_EQ(ini_elements(value, IniEncoding::utf8_bom), value);
  EXPECT_EQ(ini_elements(L"[StaticPath]", IniEncoding::narrow), L"[StaticPath]");  // ASCII in every code page
}

TEST(IniEncoding, EditedUtf16TextKeepsItsEncoding) {
  IniText text = decode_ini_text("\xff\xfe[\0A\0]\0"s);
  text.text += ini_elements(L"\u00e4", text.encoding).value();
  EXPECT_EQ(encode_ini_text(text), "\xff\xfe[\0A\0]\0\xe4\0"s);
}

}  // namespace
}  // namespace tavo::install
