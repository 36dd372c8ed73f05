// Links as the Windows build sees them. Wine creates no symbolic links; there these cases skip.
#include <windows.h>

#include <gtest/gtest.h>

#include "fs/file_status.hpp"
#include "support/test_support.hpp"

namespace tavo::fs {
namespace {

using test::TempDir;

// Makes a symbolic link; false when the system made none (Wine reports success and creates nothing).
bool make_link(const Path& link, const wchar_t* target, bool folder) {
  const DWORD flags = (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
  if (!::CreateSymbolicLinkW(link.text().c_str(), target, flags)) return false;
  return ::GetFileAttributesW(link.text().c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(FileStatusLinks, StatusFollowsLinksAndExistsDoesNot) {
  TempDir dir;
  test::write_file(dir / L"file.txt", "x");
  test::make_directories(dir / L"folder");
  if (!make_link(dir / L"to-folder", L"folder", true)) {
    GTEST_SKIP() << "this system creates no symbolic links (Wine 8 reports success and makes nothing)";
  }
  ASSERT_TRUE(make_link(dir / L"to-file", L"file.txt", false));
  ASSERT_TRUE(make_link(dir / L"dangling", L"missing", false));
  EXPECT_EQ(status(dir / L"to-folder"), FileType::directory);
  EXPECT_EQ(status(dir / L"to-file"), FileType::regular);
  EXPECT_EQ(status(dir / L"dangling"), FileType::not_found);
  EXPECT_TRUE(exists(dir / L"dangling"));
}

}  // namespace
}  // namespace tavo::fs
