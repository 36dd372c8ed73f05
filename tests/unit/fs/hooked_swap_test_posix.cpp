// A source folder swapped for a link at the exact moment the copy reaches it: the link is never followed.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/error.hpp"
#include "fs/tree_copy.hpp"
#include "support/test_support.hpp"
#include "sys/door_control.hpp"

namespace tavo::fs {
namespace {

TEST(HookedSwap, FolderSwappedForALinkJustBeforeItsCopyIsRefused) {
  test::TempDir dir;
  test::write_file(dir / L"Quelle/Tavo/Daten/a.txt", "checked");
  test::write_file(dir / L"Fremd/geheim.txt", "not for the installation");
  const std::filesystem::path tavo = test::std_path(dir / L"Quelle/Tavo");
  bool swapped = false;
  // The copy creates the destination folder of "Tavo" and then opens the source folder: between the two, the
  // folder becomes a link to another tree.
  sys::test::before_call("mkdirat", 1, [&] {
    std::filesystem::rename(tavo, test::std_path(dir / L"Quelle/Tavo-alt"));
    std::filesystem::create_directory_symlink(test::std_path(dir / L"Fremd"), tavo);
    swapped = true;
  });
  const std::string message = test::message_raised<Error>([&] { copy_tree(dir / L"Quelle", dir / L"Ziel"); });
  sys::test::clear_hooks();
  ASSERT_TRUE(swapped);
  EXPECT_EQ(message, "Linked source files are unsupported");
  EXPECT_FALSE(test::exists(dir / L"Ziel/Tavo/geheim.txt"));
  EXPECT_FALSE(test::exists(dir / L"Ziel/Tavo/Daten"));
}

}  // namespace
}  // namespace tavo::fs
