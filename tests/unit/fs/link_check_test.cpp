#include "fs/link_check.hpp"

#include <gtest/gtest.h>

#include "common/error.hpp"
#include "fs/file_operations.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/path_forms.hpp"
#include "link_support.hpp"
#include "support/test_support.hpp"

namespace tavo::fs {
namespace {

using test::make_directories;
using test::TempDir;
using test::write_file;

constexpr char kLinkedRoot[] = "Linked source folders are unsupported";
constexpr char kLinkedEntry[] = "Linked source files are unsupported";


void make_plain_tree(const Path& root) {
  write_file(join(root, L"App/Bin/Tavo.exe"), "exe");
  write_file(join(root, L"App/.hidden"), "");
  write_file(join(root, L"App/Pr\u00e4sets/\u00dcbung \u00e4\u00f6\u00fc.txt"), "umlaut");
  make_directories(join(root, L"App/empty/deeper"));
}

TEST(LinkCheck, PlainTreePasses) {
  TempDir dir;
  make_plain_tree(dir / L"src");
  EXPECT_NO_THROW(refuse_linked_tree(dir / L"src"));
}

TEST(LinkCheck, EmptyRootPasses) {
  TempDir dir;
  make_directories(dir / L"empty");
  EXPECT_NO_THROW(refuse_linked_tree(dir / L"empty"));
}

TEST(LinkCheck, MissingRootIsRefusedAsLinked) {
  TempDir dir;
  EXPECT_EQ(test::message_raised<Error>([&] { refuse_linked_tree(dir / L"missing"); }), kLinkedRoot);
}

TEST(LinkCheck, FileRootCannotBeWalked) {
  TempDir dir;
  write_file(dir / L"Presets", "a file, not a folder");
  const auto e = tavo::test::raised<FileSystemError>([&] { refuse_linked_tree(dir / L"Presets"); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->operation(), "recursive_directory_iterator::recursive_directory_iterator");
  ASSERT_EQ(e->paths().size(), 1u);
  EXPECT_EQ(e->paths()[0], long_path_form(dir / L"Presets"));
}

TEST(LinkCheck, LinkedRootIsRefused) {
  TempDir dir;
  make_plain_tree(dir / L"real");
  const test::SymbolicLink link(dir / L"real", dir / L"link", true);
  if (!link.made()) GTEST_SKIP() << link.why_not();
  EXPECT_EQ(test::message_raised<Error>([&] { refuse_linked_tree(dir / L"link"); }), kLinkedRoot);
  // A trailing separator must not make the test look through the link.
  EXPECT_EQ(test::message_raised<Error>([&] { refuse_linked_tree(join(dir / L"link", L"")); }), kLinkedRoot);
}

struct LinkBelow {
  const char* name;
  const wchar_t* link;    // below the root
  const wchar_t* target;  // below the temporary folder; may be missing
  bool to_folder;
  bool dangling = false;
};

std::ostream& operator<<(std::ostream& os, const LinkBelow& c) { return os << c.name; }

class LinkBelowRoot : public ::testing::TestWithParam<LinkBelow> {};

TEST_P(LinkBelowRoot, IsRefusedWithTheSameMessage) {
  const LinkBelow& c = GetParam();
  if (c.dangling && !test::dangling_links_are_listed()) {
    GTEST_SKIP() << "Wine lists no Linux link whose target is missing";
  }
  TempDir dir;
  make_plain_tree(dir / L"src");
  make_directories(dir / L"outside/folder");
  write_file(dir / L"outside/file.txt", "outside");
  make_directories(parent(join(dir / L"src", c.link)));
  const Path link_path = join(dir / L"src", c.link);
  const test::SymbolicLink link(dir / c.target, link_path, c.to_folder);
  if (!link.made()) GTEST_SKIP() << link.why_not();
  if (!test::link_is_visible(link_path)) {
    GTEST_SKIP() << "this platform shows a Linux link to a file as a plain file (Wine: no reparse-point bit)";
  }
  EXPECT_EQ(test::message_raised<Error>([&] { refuse_linked_tree(dir / L"src"); }), kLinkedEntry);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LinkBelowRoot,
    ::testing::Values(LinkBelow{"FolderLinkDirectlyBelow", L"linked", L"outside/folder", true},
                      LinkBelow{"FolderLinkThreeLevelsDown", L"App/a/b/linked", L"outside/folder", true},
                      LinkBelow{"FileLinkThreeLevelsDown", L"App/a/b/linked.txt", L"outside/file.txt", false},
                      LinkBelow{"DanglingLink", L"App/a/dangling", L"outside/nothing-here", false, true},
                      LinkBelow{"LinkInEmptyLookingFolder", L"App/empty/deeper/linked", L"outside/folder", true}),
    [](const auto& info) { return std::string(info.param.name); });

// Builds a folder chain whose full path is longer than the classic 260-character limit.
Path deep_folder(const Path& root) {
  Path deep = root;
  for (int i = 0; i < 8; ++i) deep = join(deep, L"ein-recht-langer-ordnername-fuer-den-test-" + std::to_wstring(i));
  return deep;
}

TEST(LinkCheck, WalksPathsLongerThan260Characters) {
  TempDir dir;
  const Path deep = deep_folder(dir / L"src");
  ASSERT_GT(long_path_form(deep).text().size(), 300u);
  // Set up through the long-path form too: the plain form is too long for Windows' ordinary calls.
  create_directories(long_path_form(deep));
  write_file(long_path_form(join(deep, L"file.txt")), "deep");
  EXPECT_NO_THROW(refuse_linked_tree(dir / L"src"));

  make_directories(dir / L"outside");
  const test::SymbolicLink link(dir / L"outside", long_path_form(join(deep, L"linked")), true);
  if (!link.made()) GTEST_SKIP() << link.why_not();
  EXPECT_EQ(test::message_raised<Error>([&] { refuse_linked_tree(dir / L"src"); }), kLinkedEntry);
}

}  // namespace
}  // namespace tavo::fs
