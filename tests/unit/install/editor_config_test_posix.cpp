#include <sys/stat.h>

#include <gtest/gtest.h>

#include "common/error.hpp"
#include "install/editor_config.hpp"
#include "install/private_profile.hpp"
#include "support/test_support.hpp"

namespace tavo::install {
namespace {

using test::read_file;
using test::TempDir;
using test::write_file;

TEST(EditorConfigPosix, ReadOnlyFileIsRefusedEvenForTheSuperuser) {
  TempDir dir;
  const fs::Path file = dir / L"App/Bin/tset.ini";
  write_file(file, "[FileBrowser]\r\nLastPath=x\r\n");
  ASSERT_EQ(::chmod(test::std_path(file).c_str(), 0444), 0);
  EXPECT_THROW(configure_editor(dir.path(), fs::Path(L"/srv/TAVO-x64")), Error);
  EXPECT_EQ(read_file(file), "[FileBrowser]\r\nLastPath=x\r\n");
}

TEST(EditorConfigPosix, LineBreakInAValueIsRefusedRatherThanWrittenAsNewLines) {
  TempDir dir;
  write_file(dir / L"tset.ini", "[S]\nk=x\n");
  EXPECT_FALSE(write_private_profile_string(L"S", L"k", L"/srv/a\n[Evil]\nx=1", dir / L"tset.ini"));
  EXPECT_FALSE(write_private_profile_string(L"S", L"k", L"/srv/a\r", dir / L"tset.ini"));
  EXPECT_EQ(read_file(dir / L"tset.ini"), "[S]\nk=x\n");
}

TEST(EditorConfigPosix, KeepsLinesAndEncodingOfAnyTemplate) {
  TempDir dir;
  write_file(dir / L"lf.ini", "; Vorlage\n[FileBrowser]\nLastPath = alt\n\n[Gr\xf6\xdf" "e]\nx=\xfc\n");
  write_editor_setting(dir / L"lf.ini", L"FileBrowser", L"LastPath", fs::Path(L"/srv/T/Presets"));
  EXPECT_EQ(read_file(dir / L"lf.ini"),
            "; Vorlage\n[FileBrowser]\nLastPath=/srv/T/Presets/\n\n[Gr\xf6\xdf"
            "e]\nx=\xfc\n");

  using namespace std::string_literals;
  write_file(dir / L"utf16.ini", "\xff\xfe[\0S\0]\0\r\0\n\0"s);
  write_editor_setting(dir / L"utf16.ini", L"S", L"k", fs::Path(L"/srv/J\u00fcrgen"));
  EXPECT_EQ(read_file(dir / L"utf16.ini"),
            "\xff\xfe[\0S\0]\0\r\0\n\0k\0=\0/\0s\0r\0v\0/\0J\0\xfc\0r\0g\0e\0n\0/\0\r\0\n\0"s);
}

TEST(EditorConfigPosix, NonAsciiTargetIsWrittenInTheFileNamesOwnEncoding) {
  TempDir dir;
  write_file(dir / L"tset.ini", "[S]\r\n");
  write_editor_setting(dir / L"tset.ini", L"S", L"k", fs::Path(L"/home/j\u00fcrgen/T"));
  EXPECT_EQ(read_file(dir / L"tset.ini"), "[S]\r\nk=/home/j\xc3\xbcrgen/T/\r\n");
}

}  // namespace
}  // namespace tavo::install
