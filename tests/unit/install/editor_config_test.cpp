// The same templates and expected files in both builds: under Wine the real WritePrivateProfileStringW writes
// them, natively our own writer. The templates are in the form in which both agree (CR LF, no blank lines):
// Wine rewrites a whole file from its parsed entries, while Windows and our writer leave untouched lines as
// they are; the in-place behaviour for other templates is covered by the INI editor's own tests.
#include "install/editor_config.hpp"

#include <gtest/gtest.h>

#include "common/error.hpp"
#include "support/test_support.hpp"

namespace tavo::install {
namespace {

using test::read_file;
using test::TempDir;
using test::write_file;

constexpr char kFullTemplate[] =
    "[General]\r\n"
    "Language=de\r\n"
    "[FileBrowser]\r\n"
    "LastPath=C:/Program Files/TAVO/Presets/\r\n"
    "ShowHidden=0\r\n"
    "[ReferenceResolver]\r\n"
    "All files_Paths=C:/Program Files/TAVO/Tavo/\r\n"
    "[StaticPath]\r\n"
    "TavoBackups=C:/old/Backups/\r\n"
    "TavoPresets=C:/old/Presets/\r\n"
    "TavoOS=C:/old/Tavo/OS/\r\n"
    "Tavo=C:/old/Tavo/\r\n"
    "[Window]\r\n"
    "Width=1024\r\n";

std::string full_expected(const std::string& base) {
  return "[General]\r\n"
         "Language=de\r\n"
         "[FileBrowser]\r\n"
         "LastPath=" + base + "/Presets/\r\n"
         "ShowHidden=0\r\n"
         "[ReferenceResolver]\r\n"
         "All files_Paths=" + base + "/Tavo/\r\n"
         "[StaticPath]\r\n"
         "TavoBackups=" + base + "/Backups/\r\n"
         "TavoPresets=" + base + "/Presets/\r\n"
         "TavoOS=" + base + "/Tavo/OS/\r\n"
         "Tavo=" + base + "/Tavo/\r\n"
         "[Window]\r\n"
         "Width=1024\r\n";
}

struct TemplateCase {
  const char* name;
  std::string template_text;
  const wchar_t* target;
  std::string expected;
};

std::ostream& operator<<(std::ostream& os, const TemplateCase& c) { return os << c.name; }

class ConfigureEditor : public ::testing::TestWithParam<TemplateCase> {};

TEST_P(ConfigureEditor, WritesTheSixFolderSettings) {
  const TemplateCase& c = GetParam();
  TempDir dir;
  const fs::Path staging = dir / L"T.vorbereitung-4711";
  write_file(fs::join(staging, L"App/Bin/tset.ini"), c.template_text);
  configure_editor(staging, fs::Path(c.target));
  EXPECT_EQ(read_file(fs::join(staging, L"App/Bin/tset.ini")), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConfigureEditor,
    ::testing::Values(
        TemplateCase{"ExistingKeysReplacedInPlace", kFullTemplate, L"D:\\TAVO-x64", full_expected("D:/TAVO-x64")},
        TemplateCase{"MissingKeyAddedAtTheEndOfItsSection",
                     "[FileBrowser]\r\nShowHidden=0\r\n[ReferenceResolver]\r\nAll files_Paths=x\r\n"
                     "[StaticPath]\r\nTavo=x\r\nTavoOS=x\r\nTavoPresets=x\r\nTavoBackups=x\r\n",
                     L"D:\\TAVO-x64",
                     "[FileBrowser]\r\nShowHidden=0\r\nLastPath=D:/TAVO-x64/Presets/\r\n"
                     "[ReferenceResolver]\r\nAll files_Paths=D:/TAVO-x64/Tavo/\r\n"
                     "[StaticPath]\r\nTavo=D:/TAVO-x64/Tavo/\r\nTavoOS=D:/TAVO-x64/Tavo/OS/\r\n"
                     "TavoPresets=D:/TAVO-x64/Presets/\r\nTavoBackups=D:/TAVO-x64/Backups/\r\n"},
        TemplateCase{"MissingSectionAddedAtTheEndInOrder",
                     "[FileBrowser]\r\nLastPath=x\r\n[ReferenceResolver]\r\nAll files_Paths=x\r\n"
                     "[Window]\r\nWidth=1024\r\n",
                     L"D:\\TAVO-x64",
                     "[FileBrowser]\r\nLastPath=D:/TAVO-x64/Presets/\r\n"
                     "[ReferenceResolver]\r\nAll files_Paths=D:/TAVO-x64/Tavo/\r\n[Window]\r\nWidth=1024\r\n"
                     "[StaticPath]\r\nTavoBackups=D:/TAVO-x64/Backups/\r\nTavoPresets=D:/TAVO-x64/Presets/\r\n"
                     "TavoOS=D:/TAVO-x64/Tavo/OS/\r\nTavo=D:/TAVO-x64/Tavo/\r\n"},
        TemplateCase{"EmptyTemplateGetsAllSections", "", L"D:\\TAVO-x64",
                     "[FileBrowser]\r\nLastPath=D:/TAVO-x64/Presets/\r\n"
                     "[ReferenceResolver]\r\nAll files_Paths=D:/TAVO-x64/Tavo/\r\n"
                     "[StaticPath]\r\nTavoBackups=D:/TAVO-x64/Backups/\r\nTavoPresets=D:/TAVO-x64/Presets/\r\n"
                     "TavoOS=D:/TAVO-x64/Tavo/OS/\r\nTavo=D:/TAVO-x64/Tavo/\r\n"},
        TemplateCase{"UncTarget", kFullTemplate, L"\\\\server\\share\\TAVO-x64",
                     full_expected("//server/share/TAVO-x64")},
        TemplateCase{"BlanksInTheTargetStayUnquoted", kFullTemplate,
                     L"C:\\Users\\Erika Muster\\Documents\\Tessaroll TAVO-x64",
                     full_expected("C:/Users/Erika Muster/Documents/Tessaroll TAVO-x64")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriteEditorSetting, TurnsEveryBackslashIntoASlashAndAddsOne) {
  TempDir dir;
  write_file(dir / L"tset.ini", "[S]\r\nk=x\r\n");
  write_editor_setting(dir / L"tset.ini", L"S", L"k", fs::Path(L"D:\\a\\b/c"));
  EXPECT_EQ(read_file(dir / L"tset.ini"), "[S]\r\nk=D:/a/b/c/\r\n");
}

TEST(WriteEditorSetting, UnwritableFileRaisesCannotConfigureEditor) {
  TempDir dir;
  // A folder where the settings file should be: no writer can write it, as user or administrator.
  test::make_directories(dir / L"App/Bin/tset.ini");
  const auto e = tavo::test::raised<Error>([&] { configure_editor(dir.path(), fs::Path(L"D:\\TAVO-x64")); });
  ASSERT_TRUE(e);
  EXPECT_STREQ(e->what(), "Cannot configure editor");
}

TEST(CheckEditorFolders, ALineBreakInTheTargetIsRefusedBeforeAnythingIsWritten) {
  TempDir dir;
  write_file(dir / L"App/Bin/tset.ini", "[StaticPath]\r\n");
  for (const wchar_t* target : {L"/srv/Ziel\nTavo=/etc/", L"D:\\Ziel\r", L"\nZiel"}) {
    try {
      check_editor_folders(fs::Path(target));
      ADD_FAILURE() << "no error raised";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), "Cannot configure editor");
    }
    EXPECT_THROW(configure_editor(dir.path(), fs::Path(target)), Error);
  }
  EXPECT_EQ(read_file(dir / L"App/Bin/tset.ini"), "[StaticPath]\r\n");
  EXPECT_NO_THROW(check_editor_folders(fs::Path(L"D:\\Tessaroll TAVO-x64 [alt]=1")));
}

}  // namespace
}  // namespace tavo::install
