#include <sys/stat.h>

#include <gtest/gtest.h>

#include "common/error.hpp"
#include "install/editor_config.hpp"
#include "install/private_profile.hpp"
#include "support/test_support.hpp"

namespace tavo::install {

bool narrow_holds_every_character() { return true; }  // UTF-8

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

TEST(EditorConfigPosix, NonAsciiTargetIsWrittenInTheFileNamesOwnEncoding) {
  TempDir dir;
  write_file(dir / L"tset.ini", "[S]\r\n");
  write_editor_setting(dir / L"tset.ini", L"S", L"k", fs::Path(L"/home/j\u00fcrgen/T"));
  EXPECT_EQ(read_file(dir / L"tset.ini"), "[S]\r\nk=/home/j\xc3\xbcrgen/T/\r\n");
}

}  // namespace
}  // namespace tavo::install
