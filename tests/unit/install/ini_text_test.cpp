// The INI editor is plain text code: this table runs in both builds.
#include "install/ini_text.hpp"

#include <gtest/gtest.h>

#include "common/utf8.hpp"

namespace tavo::install {
namespace {

struct EditCase {
  const char* name;
  const wchar_t* text;
  const wchar_t* section;
  const wchar_t* key;
  const wchar_t* expected;
};

std::ostream& operator<<(std::ostream& os, const EditCase& c) { return os << c.name; }

class WithProfileString : public ::testing::TestWithParam<EditCase> {};

TEST_P(WithProfileString, EditsOnlyTheEntry) {
  const EditCase& c = GetParam();
  EXPECT_EQ(utf8_from_wide(with_profile_string(c.text, c.section, c.key, L"D:/T/")), utf8_from_wide(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, WithProfileString,
    ::testing::Values(
        EditCase{"ReplacesInPlaceKeepingOtherLines", L"; Kopf\n[A]\nx = 1\nk=alt\n\n[B]\nk=b\n", L"A", L"k",
                 L"; Kopf\n[A]\nx = 1\nk=D:/T/\n\n[B]\nk=b\n"},
        EditCase{"ReplacesKeepingCrLf", L"[A]\r\nk=alt\r\nz=2\r\n", L"A", L"k", L"[A]\r\nk=D:/T/\r\nz=2\r\n"},
        EditCase{"MatchesIgnoringCaseAndKeepsTheFilesSpelling", L"[fILEbROWSER]\nLASTpath=x\n", L"FileBrowser",
                 L"LastPath", L"[fILEbROWSER]\nLASTpath=D:/T/\n"},
        EditCase{"MatchesAcrossBlanks", L"[ A ]\n  k  =  alt  \n", L"A", L"k", L"[ A ]\nk=D:/T/\n"},
        EditCase{"KeyWithoutValueSign", L"[A]\nk\n", L"A", L"k", L"[A]\nk=D:/T/\n"},
        EditCase{"ReplacesInLastLineWithoutLineEnd", L"[A]\nk=alt", L"A", L"k", L"[A]\nk=D:/T/"},
        // A CR at the very end is a line end waiting for its LF: the line reads the same before and after an edit.
        EditCase{"LastLineEndingInCrKeepsItsCr", L"[A]\r\nk=alt\r", L"A", L"k", L"[A]\r\nk=D:/T/\r"},
        EditCase{"LastHeaderEndingInCrGetsItsLf", L"x\n[A]\r", L"A", L"k", L"x\n[A]\r\nk=D:/T/\n"},
        EditCase{"LastLineEndingInCrBeforeANewSection", L"[B]\r\nb=1\r", L"A", L"k",
                 L"[B]\r\nb=1\r\n[A]\r\nk=D:/T/\r\n"},
        EditCase{"FirstOfDuplicateKeys", L"[A]\nk=1\nk=2\n", L"A", L"k", L"[A]\nk=D:/T/\nk=2\n"},
        EditCase{"KeyOfAnotherSectionUntouched", L"[B]\nk=b\n[A]\nx=1\n", L"A", L"k", L"[B]\nk=b\n[A]\nx=1\nk=D:/T/\n"},
        EditCase{"KeyWithBlankInItsName", L"[R]\r\nAll files_Paths=C:/alt/\r\n", L"R", L"All files_Paths",
                 L"[R]\r\nAll files_Paths=D:/T/\r\n"},
        EditCase{"PrefixOfAKeyIsAnotherKey", L"[S]\nTavoOS=x\n", L"S", L"Tavo", L"[S]\nTavoOS=x\nTavo=D:/T/\n"},
        EditCase{"AddsAfterTheLastEntryBeforeBlankLines", L"[A]\r\nx=1\r\n\r\n\r\n[B]\r\ny=2\r\n", L"A", L"k",
                 L"[A]\r\nx=1\r\nk=D:/T/\r\n\r\n\r\n[B]\r\ny=2\r\n"},
        EditCase{"AddsAfterAComment", L"[A]\nx=1\n;note\n\n[B]\n", L"A", L"k", L"[A]\nx=1\n;note\nk=D:/T/\n\n[B]\n"},
        EditCase{"AddsToAnEmptySection", L"[A]\n[B]\ny=1\n", L"A", L"k", L"[A]\nk=D:/T/\n[B]\ny=1\n"},
        EditCase{"AddsToTheLastSectionWithoutLineEnd", L"[A]\r\nx=1", L"A", L"k", L"[A]\r\nx=1\r\nk=D:/T/\r\n"},
        EditCase{"AddsToTheFirstOfDuplicateSections", L"[A]\nx=1\n[A]\ny=2\n", L"A", L"k",
                 L"[A]\nx=1\nk=D:/T/\n[A]\ny=2\n"},
        EditCase{"AddsAMissingSectionAtTheEnd", L"[A]\r\nx=1\r\n\r\n", L"S", L"k",
                 L"[A]\r\nx=1\r\n\r\n[S]\r\nk=D:/T/\r\n"},
        EditCase{"AddsAMissingSectionAfterALastLineWithoutEnd", L"[A]\nx=1", L"S", L"k", L"[A]\nx=1\n[S]\nk=D:/T/\n"},
        EditCase{"EmptyTextGetsCrLf", L"", L"S", L"k", L"[S]\r\nk=D:/T/\r\n"},
        EditCase{"EntriesBeforeAnySectionDoNotCount", L"k=top\n[A]\n", L"A", L"k", L"k=top\n[A]\nk=D:/T/\n"},
        EditCase{"UmlautsAroundStayAsTheyAre", L"[A]\nx=Gr\u00f6\u00dfe\n", L"A", L"k",
                 L"[A]\nx=Gr\u00f6\u00dfe\nk=D:/T/\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavo::install
