#include <windows.h>

#include <gtest/gtest.h>

#include "sys/handles_win.hpp"
#include "fs/file_operations.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/link_check.hpp"
#include "fs/path_forms.hpp"
#include "fs/tree_copy.hpp"
#include "support/test_support.hpp"

namespace tavo::fs {
namespace {

using test::TempDir;
using test::write_file;

TEST(TreeCopyWindows, FileLockedAgainstReadingPassesTheLinkCheckAndFailsTheCopy) {
  TempDir dir;
  write_file(dir / L"src/Bin/locked.dll", "locked");
  const win::UniqueFileHandle held(::CreateFileW((dir / L"src/Bin/locked.dll").text().c_str(), GENERIC_READ, 0,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held.valid());
  EXPECT_NO_THROW(refuse_linked_tree(dir / L"src"));
  const auto e = test::raised<FileSystemError>([&] { copy_tree(dir / L"src", dir / L"dst"); });
  ASSERT_TRUE(e) << "a locked file was copied";
  EXPECT_EQ(e->operation(), "copy");
  EXPECT_EQ(e->code(), std::errc::device_or_resource_busy);  // ERROR_SHARING_VIOLATION
  ASSERT_EQ(e->paths().size(), 2u);
  EXPECT_EQ(e->paths()[0], long_path_form(dir / L"src"));
}

TEST(TreeCopyWindows, HiddenAndSystemEntriesAreCopied) {
  TempDir dir;
  write_file(dir / L"src/hidden.txt", "h");
  write_file(dir / L"src/system/inner.txt", "s");
  ASSERT_TRUE(::SetFileAttributesW((dir / L"src/hidden.txt").text().c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(::SetFileAttributesW((dir / L"src/system").text().c_str(), FILE_ATTRIBUTE_SYSTEM));
  EXPECT_NO_THROW(refuse_linked_tree(dir / L"src"));
  copy_tree(dir / L"src", dir / L"dst");
  EXPECT_EQ(test::read_file(dir / L"dst/hidden.txt"), "h");
  EXPECT_EQ(test::read_file(dir / L"dst/system/inner.txt"), "s");
}

TEST(TreeCopyWindows, CopiesOfReadOnlyFilesAreWritable) {
  TempDir dir;
  write_file(dir / L"src/Bin/TavoDrv.dll", "original");
  write_file(dir / L"single.ini", "template");
  for (const wchar_t* rel : {L"src/Bin/TavoDrv.dll", L"single.ini"}) {
    ASSERT_TRUE(::SetFileAttributesW((dir / rel).text().c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  }
  copy_tree(dir / L"src", dir / L"dst");
  copy_file(dir / L"single.ini", dir / L"dst/Bin/tset.ini", false);
  for (const wchar_t* rel : {L"dst/Bin/TavoDrv.dll", L"dst/Bin/tset.ini"}) {
    SCOPED_TRACE(test::std_path(dir / rel).string());
    const DWORD attributes = ::GetFileAttributesW((dir / rel).text().c_str());
    EXPECT_EQ(attributes & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_NE(attributes & FILE_ATTRIBUTE_ARCHIVE, 0u);  // other attributes are kept
  }
  // The overwriting copy of the patched build now succeeds, and the package keeps its attribute.
  write_file(dir / L"patched.dll", "patched");
  copy_file(dir / L"patched.dll", dir / L"dst/Bin/TavoDrv.dll", true);
  EXPECT_EQ(test::read_file(dir / L"dst/Bin/TavoDrv.dll"), "patched");
  EXPECT_NE(::GetFileAttributesW((dir / L"src/Bin/TavoDrv.dll").text().c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  for (const wchar_t* rel : {L"src/Bin/TavoDrv.dll", L"single.ini"}) {
    ::SetFileAttributesW((dir / rel).text().c_str(), FILE_ATTRIBUTE_NORMAL);  // so the folder can be removed
  }
}

}  // namespace
}  // namespace tavo::fs
