#include "package/name_rules.hpp"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.hpp"

namespace tavo::package {
namespace {

// The raised message, or "accepted".
template <typename Rule>
std::string outcome(Rule&& call) {
  return tavo::test::message_raised<std::exception>(call, "accepted");
}

struct NameCase {
  const wchar_t* path;
  const char* expected;
};

constexpr char kLineBreak[] = "A name with a line break cannot be listed in a manifest";
constexpr char kNoUtf8[] = "The name cannot be written in UTF-8";
constexpr char kInvalidPath[] = "Invalid software path";
constexpr char kBackslash[] = "The setup reads a backslash in a name as a folder separator";

TEST(UnlistablePath, RefusesWhatAManifestLineCannotCarry) {
  const NameCase cases[] = {
      {L"App/Bin/Tavo.exe", "accepted"},
      {L"Presets/Werk/Gr\u00fc\u00dfe/Fl\u00e4che.tvp", "accepted"},
      {L"mit Leerzeichen/a b .txt ", "accepted"},
      {L"drei.../..a/...", "accepted"},
      {L"a/b\nc", kLineBreak},
      {L"a/b\rc", kLineBreak},
      {L"\ndatei", kLineBreak},
      {L"a/\xDC80-kein-utf8", kNoUtf8},
      {L"..\\x", kInvalidPath},
      {L"a/..\\b", kInvalidPath},
      {L"C:x", kInvalidPath},
      {L"a\\b", kBackslash},
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(outcome([&] { refuse_unlistable_path(c.path); }), c.expected) << "case " << (&c - cases);
  }
}

TEST(WindowsUnfitPath, RefusesNamesThatWindowsCannotHold) {
  const char* const unfit = "Windows cannot hold this name";
  const NameCase cases[] = {
      {L"Originalsoftware/App/Bin/Tavo.exe", "accepted"},
      {L"Anleitung f\u00fcr TAVO.txt", "accepted"},
      {L"CONSOLE/console.txt", "accepted"},
      {L"COM0", "accepted"},
      {L"a/b:c", unfit},
      {L"a/b?", unfit},
      {L"a*/b", unfit},
      {L"x<y", unfit},
      {L"x>y", unfit},
      {L"x|y", unfit},
      {L"x\"y", unfit},
      {L"x\\y", unfit},
      {L"tab\tname", unfit},
      {L"endet mit punkt.", unfit},
      {L"endet mit blank ", unfit},
      {L"a/CON", unfit},
      {L"nul.txt", unfit},
      {L"Lpt3.log", unfit},
      {L"com9", unfit},
      {L"a//b", unfit},
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(outcome([&] { refuse_windows_unfit_path(c.path); }), c.expected)
        << "case " << (&c - cases);
  }
}

TEST(EntryKind, RefusesLinksAndSpecialFiles) {
  const struct {
    fs::EntryKind kind;
    const char* expected;
  } cases[] = {
      {fs::EntryKind::file, "accepted"},
      {fs::EntryKind::folder, "accepted"},
      {fs::EntryKind::link, "Links are not allowed in a setup package"},
      {fs::EntryKind::other, "Neither a file nor a folder"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(outcome([&] { refuse_entry_kind({L"x", c.kind}); }), c.expected);
  }
}

}  // namespace
}  // namespace tavo::package
