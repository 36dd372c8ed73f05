#include <sys/stat.h>

#include <gtest/gtest.h>

#include "fs/text_file.hpp"
#include "support/test_support.hpp"

namespace tavo::fs {
namespace {

bool written(const Path& path, std::string_view text) { return !write_own_text_file(path, text); }

TEST(TextFilePosix, AFifoNeitherHangsNorIsWritten) {
  // A FIFO at the result file's or the marker's name would block an ordinary open for ever.
  test::TempDir dir;
  ASSERT_EQ(::mkfifo(test::std_path(dir / L"pipe").c_str(), 0644), 0);
  EXPECT_FALSE(written(dir / L"pipe", "OK\n"));
  EXPECT_EQ(read_first_line(dir / L"pipe", 22), std::nullopt);
}

}  // namespace
}  // namespace tavo::fs
