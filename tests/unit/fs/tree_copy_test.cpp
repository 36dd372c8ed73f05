#include "fs/tree_copy.hpp"

#include <gtest/gtest.h>

#include <map>

#include "common/error.hpp"
#include "common/utf8.hpp"
#include "fs/file_operations.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/path_forms.hpp"
#include "link_support.hpp"
#include "support/test_support.hpp"

namespace tavo::fs {
namespace {

using test::make_directories;
using test::read_file;
using test::TempDir;
using test::write_file;

// Every entry below `root` by its relative generic name: a folder maps to "<folder>", a file to its content.
std::map<std::string, std::string> tree_content(const Path& root) {
  std::map<std::string, std::string> content;
  const std::filesystem::path base = test::std_path(root);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(base)) {
    const std::string name = entry.path().lexically_relative(base).generic_u8string();
    content[name] = entry.is_directory() ? "<folder>" : read_file(test::from_std(entry.path()));
  }
  return content;
}

void make_sample_tree(const Path& root) {
  write_file(join(root, L"Bin/Tavo.exe"), std::string(100000, 'x') + "end");
  write_file(join(root, L"Bin/empty.dat"), "");
  write_file(join(root, L".hidden"), "h");
  write_file(join(root, L"Pr\u00e4sets/\u00dcbung \u00e4\u00f6\u00fc \u00df.txt"), "umlaut");
  make_directories(join(root, L"leer/tiefer"));
}

// The copy error's text, operation and paths, checked in one place.
void expect_copy_error(const FileSystemError& e, const Path& from, const Path& to) {
  EXPECT_EQ(e.operation(), "copy");
  ASSERT_EQ(e.paths().size(), 2u);
  EXPECT_EQ(e.paths()[0], long_path_form(from));
  EXPECT_EQ(e.paths()[1], long_path_form(to));
  EXPECT_TRUE(e.code());
  EXPECT_EQ(std::string(e.what()).rfind("copy: ", 0), 0u) << e.what();
}

TEST(TreeCopy, CopiesFoldersFilesAndEmptyFolders) {
  TempDir dir;
  make_sample_tree(dir / L"src");
  make_directories(dir / L"staging");
  copy_tree(dir / L"src", dir / L"staging/App");
  EXPECT_EQ(tree_content(dir / L"staging/App"), tree_content(dir / L"src"));
  EXPECT_EQ(tree_content(dir / L"src").size(), 8u);
}

TEST(TreeCopy, EmptyRootGivesAnEmptyDestinationFolder) {
  TempDir dir;
  make_directories(dir / L"src");
  make_directories(dir / L"staging");
  copy_tree(dir / L"src", dir / L"staging/Presets");
  EXPECT_TRUE(std::filesystem::is_directory(test::std_path(dir / L"staging/Presets")));
  EXPECT_TRUE(tree_content(dir / L"staging/Presets").empty());
}

TEST(TreeCopy, AcceptsAnExistingDestinationFolder) {
  TempDir dir;
  make_sample_tree(dir / L"src");
  write_file(dir / L"dst/Bin/own.txt", "own");
  copy_tree(dir / L"src", dir / L"dst");
  EXPECT_EQ(read_file(dir / L"dst/Bin/own.txt"), "own");
  EXPECT_EQ(read_file(dir / L"dst/Bin/empty.dat"), "");
}

TEST(TreeCopy, ExistingDestinationFileFailsAndStaysUnchanged) {
  TempDir dir;
  make_sample_tree(dir / L"src");
  write_file(dir / L"dst/Bin/Tavo.exe", "already here");
  const auto e = tavo::test::raised<FileSystemError>([&] { copy_tree(dir / L"src", dir / L"dst"); });
  ASSERT_TRUE(e);
  expect_copy_error(*e, dir / L"src", dir / L"dst");
  EXPECT_EQ(read_file(dir / L"dst/Bin/Tavo.exe"), "already here");
}

TEST(TreeCopy, DestinationIsCreatedOneLevelOnly) {
  TempDir dir;
  make_sample_tree(dir / L"src");
  const auto e = tavo::test::raised<FileSystemError>([&] { copy_tree(dir / L"src", dir / L"missing/App"); });
  ASSERT_TRUE(e);
  expect_copy_error(*e, dir / L"src", dir / L"missing/App");
  EXPECT_FALSE(test::exists(dir / L"missing"));
}

TEST(TreeCopy, MissingSourceFails) {
  TempDir dir;
  const auto e = tavo::test::raised<FileSystemError>([&] { copy_tree(dir / L"missing", dir / L"dst"); });
  ASSERT_TRUE(e);
  expect_copy_error(*e, dir / L"missing", dir / L"dst");
  EXPECT_FALSE(test::exists(dir / L"dst"));
}

TEST(TreeCopy, FileRootIsCopiedAsAFile) {
  TempDir dir;
  write_file(dir / L"one.txt", "one");
  copy_tree(dir / L"one.txt", dir / L"copy.txt");
  EXPECT_EQ(read_file(dir / L"copy.txt"), "one");
}

TEST(TreeCopy, CopiesPathsLongerThan260Characters) {
  TempDir dir;
  Path relative;
  for (int i = 0; i < 8; ++i) {
    relative = join(relative, L"ein-recht-langer-ordnername-fuer-den-test-" + std::to_wstring(i));
  }
  const Path source_file = long_path_form(join(join(dir / L"src", relative.text()), L"datei.txt"));
  const Path copied_file = long_path_form(join(join(dir / L"dst", relative.text()), L"datei.txt"));
  ASSERT_GT(copied_file.text().size(), 300u);
  create_directories(parent(source_file));
  write_file(source_file, "deep content");

  copy_tree(dir / L"src", dir / L"dst");
  EXPECT_EQ(read_file(copied_file), "deep content");
}

// A link put into the tree after the link check is refused where the copy meets it, never followed.
TEST(TreeCopyLinks, LinksMetDuringTheCopyAreRefused) {
  struct Case {
    const char* name;
    const wchar_t* link;  // below the tree
    bool at_root;
  };
  for (const Case& c : {Case{"folder below the root", L"src/Samples", false}, Case{"the root", L"src", true}}) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    write_file(dir / L"outside/secret.txt", "outside");
    write_file(dir / L"real/a.txt", "a");
    if (!c.at_root) write_file(dir / L"src/first.txt", "f");
    const test::SymbolicLink link(dir / L"outside", dir / c.link, true);
    if (!link.made()) GTEST_SKIP() << link.why_not();
    try {
      copy_tree(dir / L"src", dir / L"dst");
      ADD_FAILURE() << "a link was copied";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(),
                   c.at_root ? "Linked source folders are unsupported" : "Linked source files are unsupported");
    }
    EXPECT_FALSE(test::exists(dir / L"dst/Samples/secret.txt"));
    EXPECT_FALSE(test::exists(dir / L"dst/secret.txt"));
  }
}

TEST(TreeCopyLinks, LinkedFileMetDuringTheCopyIsRefused) {
  TempDir dir;
  write_file(dir / L"outside.txt", "outside");
  write_file(dir / L"src/a.txt", "a");
  const test::SymbolicLink link(dir / L"outside.txt", dir / L"src/b.txt", false);
  if (!link.made()) GTEST_SKIP() << link.why_not();
  if (!test::link_is_visible(dir / L"src/b.txt")) {
    GTEST_SKIP() << "this platform shows a Linux link to a file as a plain file (Wine: no reparse-point bit)";
  }
  try {
    copy_tree(dir / L"src", dir / L"dst");
    ADD_FAILURE() << "a link was copied";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Linked source files are unsupported");
  }
  EXPECT_FALSE(test::exists(dir / L"dst/b.txt"));
}

}  // namespace
}  // namespace tavo::fs
