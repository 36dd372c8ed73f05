// The digest reads a file that others hold open for writing, and is refused one held open without sharing.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/error.hpp"
#include "sys/handles_win.hpp"
#include "support/test_support.hpp"
#include "verify/sha256.hpp"

namespace tavo::verify {
namespace {

win::UniqueFileHandle hold_open(const fs::Path& path, DWORD access, DWORD share) {
  return win::UniqueFileHandle(
      ::CreateFileW(path.text().c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

TEST(FileSha256Sharing, FileOpenForWritingElsewhereIsRead) {
  tavo::test::TempDir dir;
  tavo::test::write_file(dir / L"f.txt", "abc");
  const win::UniqueFileHandle writer = hold_open(dir / L"f.txt", GENERIC_WRITE, FILE_SHARE_READ);
  ASSERT_TRUE(writer.valid());
  EXPECT_EQ(file_sha256(dir / L"f.txt"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(FileSha256Sharing, FileHeldWithoutSharingCannotBeRead) {
  tavo::test::TempDir dir;
  tavo::test::write_file(dir / L"f.txt", "abc");
  const win::UniqueFileHandle holder = hold_open(dir / L"f.txt", GENERIC_READ, 0);
  ASSERT_TRUE(holder.valid());
  const auto e = tavo::test::raised<Error>([&] { (void)file_sha256(dir / L"f.txt"); });
  ASSERT_TRUE(e);
  EXPECT_STREQ(e->what(), "Cannot read input file");
}

TEST(FileSha256Sharing, DeviceNamesAreNotRead) {
  // In the long-path form "NUL" is an ordinary name; a device path itself must not be hashed as a file.
  const auto e = tavo::test::raised<Error>([&] { (void)file_sha256(fs::Path(L"\\\\.\\NUL")); });
  ASSERT_TRUE(e);
  EXPECT_STREQ(e->what(), "Cannot read input file");
}

}  // namespace
}  // namespace tavo::verify
