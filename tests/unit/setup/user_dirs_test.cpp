#include "setup/user_dirs.hpp"

#include <gtest/gtest.h>

namespace tavo::setup {
namespace {

struct UserDirsCase {
  const char* name;
  const char* text;
  std::optional<std::string> expected;
};

TEST(DocumentsDirFromUserDirs, ReadsTheFileAsTheDesktopDoes) {
  const std::string home = "/home/j";
  const UserDirsCase cases[] = {
      {"below home", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", "/home/j/Dokumente"},
      {"home itself", "XDG_DOCUMENTS_DIR=\"$HOME\"\n", "/home/j"},
      {"home with a trailing slash", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n", "/home/j"},
      {"absolute", "XDG_DOCUMENTS_DIR=\"/data/Dokumente/\"\n", "/data/Dokumente"},
      {"blanks around", "  XDG_DOCUMENTS_DIR = \"$HOME/Meine Dokumente\"  # x\n", "/home/j/Meine Dokumente"},
      {"escapes", "XDG_DOCUMENTS_DIR=\"$HOME/\\\"Zitat\\\" \\$5 \\\\ \\a\"\n", "/home/j/\"Zitat\" $5 \\ \\a"},
      {"last one wins", "XDG_DOCUMENTS_DIR=\"/a\"\nXDG_DOCUMENTS_DIR=\"/b\"\n", "/b"},
      {"invalid after a valid one", "XDG_DOCUMENTS_DIR=\"/a\"\nXDG_DOCUMENTS_DIR=\"rel\"\n", "/a"},
      {"other keys", "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIRX=\"/x\"\n", std::nullopt},
      {"$HOME followed by more letters", "XDG_DOCUMENTS_DIR=\"$HOMEX\"\n", std::nullopt},
      {"relative", "XDG_DOCUMENTS_DIR=\"Dokumente\"\n", std::nullopt},
      {"unquoted", "XDG_DOCUMENTS_DIR=/data\n", std::nullopt},
      {"no closing quote", "XDG_DOCUMENTS_DIR=\"/data\n", std::nullopt},
      {"commented out", "# XDG_DOCUMENTS_DIR=\"/data\"\n", std::nullopt},
      {"empty", "", std::nullopt},
  };
  for (const UserDirsCase& c : cases) {
    EXPECT_EQ(documents_dir_from_user_dirs(c.text, home), c.expected) << c.name;
  }
  EXPECT_EQ(documents_dir_from_user_dirs("XDG_DOCUMENTS_DIR=\"$HOME/D\"\n", ""), std::nullopt);
  EXPECT_EQ(documents_dir_from_user_dirs("XDG_DOCUMENTS_DIR=\"/d\"\n", ""), "/d");
}

}  // namespace
}  // namespace tavo::setup
