// The temporary-file-then-rename that the package tool writes its manifests with (fs::replace_file): the file
// gets its new content whole, or keeps its old one, and no temporary file is left on either way.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "fs/filesystem_error.hpp"
#include "fs/temporary_file.hpp"
#include "support/test_support.hpp"

namespace tavo::fs {
namespace {

using tavo::test::TempDir;

std::set<std::string> names_in(const Path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(tavo::test::std_path(folder))) {
    names.insert(entry.path().filename().u8string());
  }
  return names;
}

TEST(ReplaceFile, GivesTheFileItsNewContentAndLeavesNothingElse) {
  TempDir dir;
  const Path file = dir / L"SHA256SUMS.txt";
  const std::string big(3u << 20, 'x');  // more than one write takes on Windows
  for (const std::string& content : {std::string("first\n"), big, std::string()}) {
    replace_file(file, content);
    EXPECT_EQ(tavo::test::read_file(file), content);
    EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"SHA256SUMS.txt"});
  }
}

TEST(ReplaceFile, AFailureKeepsTheOldFileAndLeavesNoTemporaryFile) {
  TempDir dir;
  // A folder at the final name: the rename cannot replace it.
  const Path folder = dir / L"Ordner";
  tavo::test::write_file(join(folder, L"drin.txt"), "old");
  const std::optional<FileSystemError> renamed =
      tavo::test::raised<FileSystemError>([&] { replace_file(folder, "new"); });
  ASSERT_TRUE(renamed);
  EXPECT_EQ(renamed->operation(), "rename");
  EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"Ordner"});
  EXPECT_EQ(tavo::test::read_file(join(folder, L"drin.txt")), "old");

  // Someone else's file under the temporary name: it is neither written to nor removed.
  const Path file = dir / L"SHA256SUMS.txt";
  tavo::test::write_file(file, "old manifest\n");
  const Path other = temporary_name_for(file);
  tavo::test::write_file(other, "not ours");
  const std::optional<FileSystemError> written =
      tavo::test::raised<FileSystemError>([&] { replace_file(file, "new"); });
  ASSERT_TRUE(written);
  EXPECT_EQ(written->operation(), "write");
  EXPECT_EQ(tavo::test::read_file(file), "old manifest\n");
  EXPECT_EQ(tavo::test::read_file(other), "not ours");
}

}  // namespace
}  // namespace tavo::fs
