#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "fs/file_operations.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/link_check.hpp"
#include "fs/tree_copy.hpp"
#include "support/test_support.hpp"

namespace tavo::fs {
namespace {

using test::read_file;
using test::TempDir;
using test::write_file;

mode_t permissions_of(const Path& path) {
  struct stat status {};
  EXPECT_EQ(::stat(test::std_path(path).c_str(), &status), 0);
  return status.st_mode & 07777;
}

void set_permissions(const Path& path, mode_t mode) { ASSERT_EQ(::chmod(test::std_path(path).c_str(), mode), 0); }

TEST(TreeCopyPosix, KeepsPermissionBitsWhateverTheUmaskAndAddsTheOwnersWriteBit) {
  TempDir dir;
  write_file(dir / L"src/bin/tool", "#!/bin/sh\n");
  write_file(dir / L"src/bin/read-only-tool", "#!/bin/sh\n");
  write_file(dir / L"src/readme", "r");
  write_file(dir / L"src/read-only.ini", "r");
  set_permissions(dir / L"src/bin/tool", 0755);
  set_permissions(dir / L"src/bin/read-only-tool", 0551);
  set_permissions(dir / L"src/readme", 0640);
  set_permissions(dir / L"src/read-only.ini", 0444);
  const mode_t previous = ::umask(077);
  copy_tree(dir / L"src", dir / L"dst");
  copy_file(dir / L"src/bin/tool", dir / L"single-tool", false);
  copy_file(dir / L"src/read-only.ini", dir / L"single.ini", false);
  copy_file(dir / L"src/bin/tool", dir / L"dst/readme", true);
  ::umask(previous);
  const std::pair<const wchar_t*, mode_t> expected[] = {
      {L"dst/bin/tool", 0755},         {L"dst/bin/read-only-tool", 0751}, {L"dst/read-only.ini", 0644},
      {L"single-tool", 0755},          {L"single.ini", 0644},             {L"dst/readme", 0755},
      {L"src/read-only.ini", 0444},  // the package is left as it was
  };
  for (const auto& [rel, mode] : expected) EXPECT_EQ(permissions_of(dir / rel), mode) << test::std_path(dir / rel);
}

TEST(TreeCopyPosix, FifoPassesTheLinkCheckButIsNotCopied) {
  TempDir dir;
  write_file(dir / L"src/a.txt", "a");
  ASSERT_EQ(::mkfifo(test::std_path(dir / L"src/pipe").c_str(), 0644), 0);
  EXPECT_NO_THROW(refuse_linked_tree(dir / L"src"));
  // Opening a FIFO for reading would wait for a writer forever; the copy must refuse it instead.
  EXPECT_THROW(copy_tree(dir / L"src", dir / L"dst"), FileSystemError);
  EXPECT_FALSE(test::exists(dir / L"dst/pipe"));
}

TEST(TreeCopyPosix, UnlistableFolderBelowTheRootFailsTheWalk) {
  if (::geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not keep a folder from being listed";
  TempDir dir;
  write_file(dir / L"src/closed/secret.txt", "s");
  set_permissions(dir / L"src/closed", 0);
  try {
    refuse_linked_tree(dir / L"src");
    ADD_FAILURE() << "an unlistable folder passed";
  } catch (const FileSystemError& e) {
    EXPECT_EQ(e.operation(), "recursive_directory_iterator::operator++");
    EXPECT_TRUE(e.paths().empty());
  }
  EXPECT_THROW(copy_tree(dir / L"src", dir / L"dst"), FileSystemError);
  set_permissions(dir / L"src/closed", 0755);
}

TEST(CopyFilePosix, OverwritingReplacesALinkInsteadOfWritingThroughIt) {
  TempDir dir;
  write_file(dir / L"from.ini", "new");
  write_file(dir / L"elsewhere.ini", "not mine");
  ASSERT_EQ(::symlink(test::std_path(dir / L"elsewhere.ini").c_str(), test::std_path(dir / L"to.ini").c_str()), 0);
  copy_file(dir / L"from.ini", dir / L"to.ini", true);
  EXPECT_EQ(read_file(dir / L"to.ini"), "new");
  EXPECT_EQ(read_file(dir / L"elsewhere.ini"), "not mine");
}

TEST(CopyFilePosix, NotOverwritingRefusesEvenADanglingLink) {
  TempDir dir;
  write_file(dir / L"from.exe", "tool");
  ASSERT_EQ(::symlink(test::std_path(dir / L"nowhere").c_str(), test::std_path(dir / L"to.exe").c_str()), 0);
  EXPECT_THROW(copy_file(dir / L"from.exe", dir / L"to.exe", false), FileSystemError);
  EXPECT_FALSE(test::exists(dir / L"nowhere"));
}

TEST(CopyFilePosix, OverwritingLeavesNoHelperFileBehind) {
  TempDir dir;
  write_file(dir / L"from.dll", "patched");
  write_file(dir / L"to.dll", "original");
  copy_file(dir / L"from.dll", dir / L"to.dll", true);
  EXPECT_THROW(copy_file(dir / L"missing.dll", dir / L"to.dll", true), FileSystemError);
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(test::std_path(dir.path()))) {
    ++entries;
  }
  EXPECT_EQ(entries, 2);
}

}  // namespace
}  // namespace tavo::fs
