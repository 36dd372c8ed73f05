#include <windows.h>

#include <gtest/gtest.h>

#include "common/error.hpp"
#include "sys/handles_win.hpp"
#include "install/editor_config.hpp"
#include "support/test_support.hpp"

namespace tavo::install {

bool narrow_holds_every_character() { return ::GetACP() == CP_UTF8; }

namespace {

using test::read_file;
using test::TempDir;
using test::write_file;

constexpr char kTemplate[] = "[FileBrowser]\r\nLastPath=x\r\n";

TEST(EditorConfigWindows, ReadOnlyFileRaisesWithNoSettingWritten) {
  TempDir dir;
  const fs::Path file = dir / L"App/Bin/tset.ini";
  write_file(file, kTemplate);
  ASSERT_TRUE(::SetFileAttributesW(file.text().c_str(), FILE_ATTRIBUTE_READONLY));
  const win::UniqueFileHandle probe(
      ::CreateFileW(file.text().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (probe) GTEST_SKIP() << "the read-only attribute does not stop writing here (Wine running as root)";
  EXPECT_THROW(configure_editor(dir.path(), fs::Path(L"D:\\TAVO-x64")), Error);
  EXPECT_EQ(read_file(file), kTemplate);
}

TEST(EditorConfigWindows, FileHeldOpenByAnotherRaisesWithNoSettingWritten) {
  TempDir dir;
  const fs::Path file = dir / L"App/Bin/tset.ini";
  write_file(file, kTemplate);
  const win::UniqueFileHandle held(
      ::CreateFileW(file.text().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held.valid());
  EXPECT_THROW(configure_editor(dir.path(), fs::Path(L"D:\\TAVO-x64")), Error);
  EXPECT_EQ(std::string(kTemplate), [&] {
    // Read through the held handle: the file cannot be opened again meanwhile.
    char buffer[256];
    DWORD got = 0;
    ::SetFilePointer(held.get(), 0, nullptr, FILE_BEGIN);
    ::ReadFile(held.get(), buffer, sizeof buffer, &got, nullptr);
    return std::string(buffer, got);
  }());
}

TEST(EditorConfigWindows, NarrowTemplateTakesTheAnsiCodePageAndRefusesWhatItLacks) {
  if (::GetACP() != 1252) GTEST_SKIP() << "the expected bytes are those of code page 1252 (Wine's usual one)";
  TempDir dir;
  const fs::Path file = dir / L"tset.ini";
  write_file(file, "[S]\r\n");
  write_editor_setting(file, L"S", L"k", fs::Path(L"D:\\Z\u00fcrich \u00c6r\u00f8"));
  EXPECT_EQ(read_file(file), "[S]\r\nk=D:/Z\xfcrich \xc6r\xf8/\r\n");
  // "\u0141" has a best fit "L" in 1252: never written as that.
  EXPECT_THROW(write_editor_setting(file, L"S", L"k", fs::Path(L"D:\\\u0141\u00f3d\u017a")), Error);
  EXPECT_EQ(read_file(file), "[S]\r\nk=D:/Z\xfcrich \xc6r\xf8/\r\n");
}

}  // namespace
}  // namespace tavo::install
