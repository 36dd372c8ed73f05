// The same templates and expected files in both builds, which write them with the same INI editor; its in-place
// behaviour for other templates is covered by its own tests.
#include "install/editor_config.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "common/error.hpp"
#include "install/private_profile.hpp"
#include "support/test_support.hpp"

namespace tavo::install {

// Whether a narrow settings file holds every character: natively it is UTF-8; on Windows it is in the ANSI code
// page (defined in the platform halves of this test).
bool narrow_holds_every_character();

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
      check_editor_folders(fs::Path(target), dir / L"App/Bin/tset.ini");
      ADD_FAILURE() << "no error raised";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), "Cannot configure editor");
    }
    EXPECT_THROW(configure_editor(dir.path(), fs::Path(target)), Error);
  }
  EXPECT_EQ(read_file(dir / L"App/Bin/tset.ini"), "[StaticPath]\r\n");
  EXPECT_NO_THROW(check_editor_folders(fs::Path(L"D:\\Tessaroll TAVO-x64 [alt]=1"), dir / L"App/Bin/tset.ini"));
}

TEST(EditorConfig, LineBreakInAValueIsRefusedRatherThanWrittenAsNewLines) {
  TempDir dir;
  write_file(dir / L"tset.ini", "[S]\nk=x\n");
  EXPECT_FALSE(write_private_profile_string(L"S", L"k", L"/srv/a\n[Evil]\nx=1", dir / L"tset.ini"));
  EXPECT_FALSE(write_private_profile_string(L"S", L"k", L"/srv/a\r", dir / L"tset.ini"));
  EXPECT_EQ(read_file(dir / L"tset.ini"), "[S]\nk=x\n");
}

TEST(EditorConfig, KeepsLinesAndEncodingOfAnyTemplate) {
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

// A target with Polish, Japanese and Danish letters: a narrow template holds it only where the narrow form is
// UTF-8 (natively, or a Windows with UTF-8 as its ANSI code page); a template with a byte-order mark always does.
const std::wstring kTarget = L"D:\\ziel\\\u0141\u00f3d\u017a \u6771\u4eac \u00c6r\u00f8";
const std::string kTavoLineUtf8 =
    "Tavo=D:/ziel/\xc5\x81\xc3\xb3" "d\xc5\xba \xe6\x9d\xb1\xe4\xba\xac \xc3\x86r\xc3\xb8/Tavo/\r\n";

std::string utf16le(std::wstring_view text) {  // BMP characters only
  std::string bytes;
  for (const wchar_t c : text) {
    bytes.push_back(static_cast<char>(static_cast<unsigned>(c) & 0xFF));
    bytes.push_back(static_cast<char>((static_cast<unsigned>(c) >> 8) & 0xFF));
  }
  return bytes;
}

struct TargetInTemplate {
  const char* name;
  std::string template_bytes;
  bool holds;             // the template's encoding holds every character of the target
  std::string tavo_line;  // then the file has this line, in its own encoding
};

std::ostream& operator<<(std::ostream& os, const TargetInTemplate& c) { return os << c.name; }

class TargetCharacters : public ::testing::TestWithParam<TargetInTemplate> {};

TEST_P(TargetCharacters, AreWrittenExactlyOrRefusedBeforeAnythingIsWritten) {
  const TargetInTemplate& c = GetParam();
  TempDir dir;
  const fs::Path file = dir / L"App/Bin/tset.ini";
  write_file(file, c.template_bytes);
  if (!c.holds) {
    for (const auto& run : std::vector<std::function<void()>>{
             [&] { check_editor_folders(fs::Path(kTarget), file); },
             [&] { configure_editor(dir.path(), fs::Path(kTarget)); }}) {
      const auto e = tavo::test::raised<Error>(run);
      ASSERT_TRUE(e);
      EXPECT_STREQ(e->what(), "Cannot configure editor");
    }
    EXPECT_EQ(read_file(file), c.template_bytes);
    return;
  }
  EXPECT_NO_THROW(check_editor_folders(fs::Path(kTarget), file));
  configure_editor(dir.path(), fs::Path(kTarget));
  const std::string written = read_file(file);
  EXPECT_EQ(written.rfind(c.template_bytes, 0), 0u) << "the template's own lines stay in front";
  EXPECT_NE(written.find(c.tavo_line), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TargetCharacters,
    ::testing::Values(
        TargetInTemplate{"Narrow", "[StaticPath]\r\n", narrow_holds_every_character(), kTavoLineUtf8},
        TargetInTemplate{"Utf8WithMark", "\xef\xbb\xbf[StaticPath]\r\n", true, kTavoLineUtf8},
        TargetInTemplate{"Utf16Le", "\xff\xfe" + utf16le(L"[StaticPath]\r\n"), true,
                         utf16le(L"Tavo=D:/ziel/\u0141\u00f3d\u017a \u6771\u4eac \u00c6r\u00f8/Tavo/\r\n")}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavo::install
