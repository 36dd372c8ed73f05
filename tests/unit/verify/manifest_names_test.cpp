#include "verify/manifest_names.hpp"

#include <gtest/gtest.h>

#include <string>

#include "common/error.hpp"

namespace tavo::verify {
namespace {

struct NameCase {
  const wchar_t* name;
  bool accepted;
};

std::ostream& operator<<(std::ostream& os, const NameCase& c) {
  for (const wchar_t* p = c.name; *p != L'\0'; ++p) os << static_cast<char>(*p < 0x80 ? *p : '?');
  return os;
}

class PayloadName : public ::testing::TestWithParam<NameCase> {};

TEST_P(PayloadName, Rule) { EXPECT_EQ(is_valid_payload_name(GetParam().name), GetParam().accepted); }

INSTANTIATE_TEST_SUITE_P(
    Table, PayloadName,
    ::testing::Values(NameCase{L"TavoDrv.dll", true}, NameCase{L"TAVO-Treiber-installieren.exe", true},
                      NameCase{L"ab:c", true}, NameCase{L".", true}, NameCase{L"..", true},
                      NameCase{L"name ", true}, NameCase{L"\u00e4.bin", true}, NameCase{L"1:x", true},
                      NameCase{L"", false}, NameCase{L"Treiber/device_binding.exe", false},
                      NameCase{L"Treiber\\device_binding.exe", false}, NameCase{L"x/", false},
                      NameCase{L"/x", false}, NameCase{L"\\x", false}, NameCase{L"C:x", false},
                      NameCase{L"z:", false}, NameCase{L"C:\\x", false}));

class SoftwarePath : public ::testing::TestWithParam<NameCase> {};

TEST_P(SoftwarePath, Rule) { EXPECT_EQ(is_valid_software_path(GetParam().name), GetParam().accepted); }

INSTANTIATE_TEST_SUITE_P(
    Table, SoftwarePath,
    ::testing::Values(NameCase{L"App/Bin/Tavo.exe", true}, NameCase{L"App\\Bin\\Tavo.exe", true},
                      NameCase{L"./App/x", true}, NameCase{L"App/./x", true}, NameCase{L"App/.../x", true},
                      NameCase{L"App/..a/x", true}, NameCase{L"App/a../x", true}, NameCase{L"...", true},
                      NameCase{L"App//Bin", true}, NameCase{L"App/", true}, NameCase{L"App/b:c", true},
                      NameCase{L"/App/x", false}, NameCase{L"\\App\\x", false}, NameCase{L"//server/share/x", false},
                      NameCase{L"\\\\server\\share\\x", false}, NameCase{L"\\\\?\\C:\\x", false},
                      NameCase{L"\\\\.\\C:\\x", false}, NameCase{L"C:App", false}, NameCase{L"c:/App", false},
                      NameCase{L"App/../x", false}, NameCase{L"App\\..\\x", false}, NameCase{L"..", false},
                      NameCase{L"../x", false}, NameCase{L"App/..", false}, NameCase{L"App//..//x", false},
                      NameCase{L"App/\\..", false}));

TEST(Utf8FileName, ValidSequencesConvert) {
  EXPECT_EQ(wide_from_utf8_file_name("App/\xC3\x84rger/\xE2\x80\x93.txt"), L"App/\u00c4rger/\u2013.txt");
  EXPECT_EQ(wide_from_utf8_file_name("\xF0\x9F\x98\x80"), L"\U0001F600");
  EXPECT_EQ(wide_from_utf8_file_name(""), L"");
}

TEST(Utf8FileName, InvalidSequencesRaise) {
  for (const char* bad : {"\xC3(", "\xED\xA0\x80", "\xC0\xAF", "x\xFF", "\xF4\x90\x80\x80", "\xE2\x80"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW((void)wide_from_utf8_file_name(bad), SystemError);
  }
}

}  // namespace
}  // namespace tavo::verify
