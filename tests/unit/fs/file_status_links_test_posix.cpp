// Links, special files and failures other than absence, as the POSIX build sees them.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fs/file_status.hpp"
#include "fs/filesystem_error.hpp"
#include "support/test_support.hpp"

namespace tavo::fs {
namespace {

using test::TempDir;

class FileStatusLinks : public ::testing::Test {
 protected:
  void SetUp() override {
    test::write_file(dir / L"file.txt", "x");
    test::make_directories(dir / L"folder");
    link(L"file.txt", L"to-file");
    link(L"folder", L"to-folder");
    link(L"missing", L"dangling");
    link(L"loop-b", L"loop-a");
    link(L"loop-a", L"loop-b");
    ASSERT_EQ(::mkfifo(test::std_path(dir / L"fifo").c_str(), 0600), 0);
  }
  void link(const wchar_t* target, const wchar_t* name) {
    std::filesystem::create_symlink(target, test::std_path(dir / name));
  }
  TempDir dir;
};

TEST_F(FileStatusLinks, StatusFollowsLinksAndExistsDoesNot) {
  struct Case {
    const wchar_t* rel;
    FileType type;
    bool present;
  };
  const Case cases[] = {
      {L"to-file", FileType::regular, true},
      {L"to-folder", FileType::directory, true},
      {L"to-folder/", FileType::directory, true},
      {L"dangling", FileType::not_found, true},
      {L"fifo", FileType::other, true},
      {L"dangling/x", FileType::not_found, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(test::std_path(dir / c.rel).string());
    EXPECT_EQ(status(dir / c.rel), c.type);
    EXPECT_EQ(exists(dir / c.rel), c.present);
  }
}

TEST_F(FileStatusLinks, LinkLoopIsAnErrorForStatusButExists) {
  const auto e = tavo::test::raised<FileSystemError>([&] { (void)status(dir / L"loop-a"); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->operation(), "status");
  EXPECT_EQ(e->code(), std::errc::too_many_symbolic_link_levels);
  EXPECT_TRUE(exists(dir / L"loop-a"));
}

// A failure other than absence is an error, not "not there".
TEST(FileStatusErrors, OverlongNameRaisesWithOperationAndPath) {
  TempDir dir;
  const Path path = dir / std::wstring(300, L'n');
  const auto e = tavo::test::raised<FileSystemError>([&] { (void)status(path); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->operation(), "status");
  ASSERT_EQ(e->paths().size(), 1u);
  EXPECT_EQ(e->paths()[0], path);
  EXPECT_NE(std::string(e->what()).find("status: "), std::string::npos);
  const auto existence = tavo::test::raised<FileSystemError>([&] { (void)exists(path); });
  ASSERT_TRUE(existence);
  EXPECT_EQ(existence->operation(), "exists");
}

TEST(FileStatusAccess, UnreadableFolderIsAnError) {
  if (::geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not refuse access";
  TempDir dir;
  test::write_file(dir / L"closed/file.txt", "x");
  std::filesystem::permissions(test::std_path(dir / L"closed"), std::filesystem::perms::none);
  EXPECT_THROW((void)status(dir / L"closed/file.txt"), FileSystemError);
  EXPECT_THROW((void)exists(dir / L"closed/file.txt"), FileSystemError);
}

}  // namespace
}  // namespace tavo::fs
