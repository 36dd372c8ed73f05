// On Windows another program may hold the old file for a moment (an editor, an indexer, a scanner): the new
// content is renamed into place once it lets go; a lasting refusal fails as before and leaves no temporary file.
#include <gtest/gtest.h>

#include <vector>

#include "fs/filesystem_error.hpp"
#include "fs/temporary_file.hpp"
#include "support/test_support.hpp"
#include "sys/door_control.hpp"

namespace tavo::fs {
namespace {

class ReplaceFileHeld : public ::testing::Test {
 protected:
  void SetUp() override {
    tavo::test::write_file(file_, "old");
    sys::test::skip_pauses(true);
    fault::arm({});
  }
  void TearDown() override {
    sys::test::skip_pauses(false);
    sys::test::clear_hooks();
  }
  tavo::test::TempDir dir_;
  const Path file_ = dir_ / L"SHA256SUMS.txt";
};

TEST_F(ReplaceFileHeld, ABriefHoldIsWaitedFor) {
  sys::test::script("MoveFileExW", {32 /* ERROR_SHARING_VIOLATION */, 5 /* ERROR_ACCESS_DENIED */});
  replace_file(file_, "new");
  EXPECT_EQ(tavo::test::read_file(file_), "new");
  EXPECT_EQ(sys::test::count_of("MoveFileExW"), 3);
  EXPECT_EQ(sys::test::pauses(), (std::vector<unsigned>{100, 100}));
}

TEST_F(ReplaceFileHeld, ALastingHoldFailsAndLeavesTheOldFile) {
  sys::test::script("MoveFileExW", std::vector<int>(20, 32));
  EXPECT_THROW(replace_file(file_, "new"), FileSystemError);
  EXPECT_EQ(sys::test::count_of("MoveFileExW"), 20);
  EXPECT_EQ(tavo::test::read_file(file_), "old");
  EXPECT_FALSE(tavo::test::exists(temporary_name_for(file_)));
}

TEST_F(ReplaceFileHeld, OtherRefusalsAreNotWaitedFor) {
  sys::test::script("MoveFileExW", {3 /* ERROR_PATH_NOT_FOUND */});
  EXPECT_THROW(replace_file(file_, "new"), FileSystemError);
  EXPECT_EQ(sys::test::count_of("MoveFileExW"), 1);
  EXPECT_TRUE(sys::test::pauses().empty());
}

}  // namespace
}  // namespace tavo::fs
