#include "fs/held_folder.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/system_error.hpp"
#include "link_support.hpp"
#include "support/test_support.hpp"

namespace tavo::fs {
namespace {

using test::exists;
using test::make_directories;
using test::read_file;
using test::TempDir;
using test::write_file;

HeldFolder held(const Path& path) {
  HeldFolder folder;
  EXPECT_EQ(HeldFolder::open(path, folder), std::error_code()) << test::std_path(path);
  return folder;
}

FileIdentity identity_of_folder(const Path& path) {
  FileIdentity identity;
  EXPECT_EQ(held(path).identity(identity), std::error_code());
  return identity;
}

TEST(HeldFolderRename, RenamesTheExpectedFolderToAFreeName) {
  TempDir dir;
  write_file(dir / L"T.vorbereitung-1/marker.txt", "m");
  const FileIdentity staging = identity_of_folder(dir / L"T.vorbereitung-1");
  EXPECT_EQ(held(dir.path()).rename_entry(L"T.vorbereitung-1", L"T", staging), std::error_code());
  EXPECT_EQ(read_file(dir / L"T/marker.txt"), "m");
  EXPECT_FALSE(exists(dir / L"T.vorbereitung-1"));
}

TEST(HeldFolderRename, NeverReplacesAnythingAtTheNewName) {
  struct Case {
    const char* name;
    bool folder;  // otherwise a file stands at the new name
  };
  for (const Case& c : {Case{"an empty folder", true}, Case{"a file", false}}) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    write_file(dir / L"staging/marker.txt", "m");
    if (c.folder) {
      make_directories(dir / L"target");
    } else {
      write_file(dir / L"target", "the user's own file");
    }
    const FileIdentity staging = identity_of_folder(dir / L"staging");
    EXPECT_EQ(held(dir.path()).rename_entry(L"staging", L"target", staging), std::errc::file_exists);
    EXPECT_EQ(read_file(dir / L"staging/marker.txt"), "m");
    if (c.folder) {
      EXPECT_FALSE(exists(dir / L"target/marker.txt"));
    } else {
      EXPECT_EQ(read_file(dir / L"target"), "the user's own file");
    }
  }
}

TEST(HeldFolderRename, AnotherFolderAtTheNameIsNotRenamed) {
  TempDir dir;
  write_file(dir / L"staging/marker.txt", "m");
  const FileIdentity filled = identity_of_folder(dir / L"staging");
  // The filled folder moved away, another one put in its place.
  std::filesystem::rename(test::std_path(dir / L"staging"), test::std_path(dir / L"weg"));
  write_file(dir / L"staging/other.txt", "someone else's");
  const std::error_code error = held(dir.path()).rename_entry(L"staging", L"target", filled);
  EXPECT_TRUE(error);
  EXPECT_NE(error, ErrorCondition::transient_rename);
  EXPECT_FALSE(exists(dir / L"target"));
  EXPECT_EQ(read_file(dir / L"staging/other.txt"), "someone else's");
}

TEST(HeldFolderRename, AMissingEntryIsALastingError) {
  TempDir dir;
  const std::error_code error = held(dir.path()).rename_entry(L"missing", L"target", FileIdentity{});
  EXPECT_EQ(error, std::errc::no_such_file_or_directory);
  EXPECT_NE(error, ErrorCondition::transient_rename);
}

TEST(HeldFolderOpen, NamesBelowAreOpenedOneByOneAndNeverThroughALink) {
  TempDir dir;
  write_file(dir / L"Paket/Originalsoftware/App/Bin/Tavo.exe", "x");
  write_file(dir / L"outside/Bin/Tavo.exe", "outside");
  const HeldFolder package = held(dir / L"Paket");
  HeldFolder bin;
  EXPECT_EQ(package.open_folder(L"Originalsoftware/App\\Bin", bin), std::error_code());
  EXPECT_EQ(test::std_path(bin.path()), test::std_path(dir / L"Paket/Originalsoftware/App/Bin"));
  HeldFolder file;
  EXPECT_TRUE(package.open_folder(L"Originalsoftware/App/Bin/Tavo.exe", file)) << "a file is no folder";

  const test::SymbolicLink link(dir / L"outside", dir / L"Paket/Originalsoftware/Linked", true);
  if (!link.made()) GTEST_SKIP() << link.why_not();
  HeldFolder through;
  EXPECT_EQ(package.open_folder(L"Originalsoftware/Linked/Bin", through), link_met());
  EXPECT_EQ(package.open_folder(L"Originalsoftware/Linked", through), link_met());
}

TEST(HeldFolderCreate, MissingFoldersAreCreatedBelowTheNearestExistingOne) {
  TempDir dir;
  make_directories(dir / L"Dokumente");
  HeldFolder nearest;
  std::vector<std::wstring> missing;
  ASSERT_EQ(hold_nearest_existing(dir / L"Dokumente/Neu/Tiefer", nearest, missing), std::error_code());
  EXPECT_EQ(test::std_path(nearest.path()), test::std_path(dir / L"Dokumente"));
  EXPECT_EQ(missing, (std::vector<std::wstring>{L"Neu", L"Tiefer"}));
  // Made meanwhile by somebody else: taken like any existing folder.
  make_directories(dir / L"Dokumente/Neu");
  ASSERT_EQ(create_held_folders(nearest, missing), std::error_code());
  EXPECT_EQ(test::std_path(nearest.path()), test::std_path(dir / L"Dokumente/Neu/Tiefer"));
  HeldFolder staging;
  EXPECT_EQ(nearest.create_folder(L"Ziel.vorbereitung-1", staging), std::error_code());
  EXPECT_TRUE(exists(dir / L"Dokumente/Neu/Tiefer/Ziel.vorbereitung-1"));
  EXPECT_EQ(nearest.create_folder(L"Ziel.vorbereitung-1", staging), std::errc::file_exists);

  // A file in the way is met where its folder would be created.
  write_file(dir / L"Datei", "a file in the way");
  ASSERT_EQ(hold_nearest_existing(dir / L"Datei/Unter", nearest, missing), std::error_code());
  EXPECT_TRUE(create_held_folders(nearest, missing));
  EXPECT_EQ(read_file(dir / L"Datei"), "a file in the way");
}

}  // namespace
}  // namespace tavo::fs
