#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "common/utf8.hpp"
#include "manifest_cases.hpp"
#include "support/test_support.hpp"

namespace tavo::package {
namespace {

std::string native(const fs::Path& dir, const char* name) { return utf8_from_wide(dir.text()) + "/" + name; }

// Names and kinds of entries that only a POSIX file system holds.
TEST(ManifestWriter, RefusesLinksSpecialFilesAndNamesALineCannotCarry) {
  using test::RefusalCase;
  const auto file = [](const char* name) {
    return [name](const fs::Path& dir) { tavo::test::write_file(fs::join(dir, wide_from_utf8(name)), "x"); };
  };
  const RefusalCase cases[] = {
      {"a line feed in a name", ManifestFolder::software, file("Tavo/zeile\nzwei"),
       "Tavo/zeile\nzwei: A name with a line break cannot be listed in a manifest\n"},
      {"a carriage return in a name", ManifestFolder::software, file("Tavo/ende\r"),
       "Tavo/ende\r: A name with a line break cannot be listed in a manifest\n"},
      {"a name that is not UTF-8", ManifestFolder::software, file("Tavo/gr\xfc\xdf"),
       "Tavo/gr\xfc\xdf: The name cannot be written in UTF-8\n"},
      {"a \"..\" component behind a backslash", ManifestFolder::software, file("..\\App"),
       "..\\App: Invalid software path\n"},
      {"a drive prefix", ManifestFolder::software, file("C:App"), "C:App: Invalid software path\n"},
      {"a backslash inside a name", ManifestFolder::software, file("App\\Bin"),
       "App\\Bin: The setup reads a backslash in a name as a folder separator\n"},
      {"a link to a file", ManifestFolder::software,
       [](const fs::Path& dir) { ASSERT_EQ(::symlink("teil-1.dat", native(dir, "Tavo/verweis").c_str()), 0); },
       "Tavo/verweis: Links are not allowed in a setup package\n"},
      {"a link to a folder", ManifestFolder::software,
       [](const fs::Path& dir) { ASSERT_EQ(::symlink("Tavo", native(dir, "Ordner").c_str()), 0); },
       "Ordner: Links are not allowed in a setup package\n"},
      {"a pipe", ManifestFolder::software,
       [](const fs::Path& dir) { ASSERT_EQ(::mkfifo(native(dir, "Tavo/rohr").c_str(), 0600), 0); },
       "Tavo/rohr: Neither a file nor a folder\n"},
      {"a link among the payload files", ManifestFolder::payload,
       [](const fs::Path& dir) {
         ASSERT_EQ(::unlink(native(dir, "tusbshim.dll").c_str()), 0);
         ASSERT_EQ(::symlink("TavoDrv.dll", native(dir, "tusbshim.dll").c_str()), 0);
       },
       "tusbshim.dll: Links are not allowed in a setup package\ntusbshim.dll: Payload file missing\n"},
  };
  for (const RefusalCase& refusal : cases) test::expect_refusal(refusal);
}

}  // namespace
}  // namespace tavo::package
