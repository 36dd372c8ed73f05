#include "fs/file_operations.hpp"

#include <gtest/gtest.h>

#include <cerrno>

#include "fs/filesystem_error.hpp"
#include "support/test_support.hpp"
#include "tavo/build_config.hpp"

namespace tavo::fs {
namespace {

using test::exists;
using test::make_directories;
using test::read_file;
using test::TempDir;
using test::write_file;

constexpr bool kWindows = build_config::windows;

bool is_folder(const Path& path) { return std::filesystem::is_directory(test::std_path(path)); }

TEST(CreateDirectory, CreatesOneLevel) {
  TempDir dir;
  create_directory(dir / L"Treiber");
  EXPECT_TRUE(is_folder(dir / L"Treiber"));
}

TEST(CreateDirectory, ExistingOrUnreachableFolderFails) {
  TempDir dir;
  make_directories(dir / L"there");
  const FileSystemError existing = test::raised<FileSystemError>([&] { create_directory(dir / L"there"); }).value();
  EXPECT_EQ(existing.operation(), "create_directory");
  EXPECT_EQ(existing.code(), std::errc::file_exists);
  ASSERT_EQ(existing.paths().size(), 1u);
  EXPECT_EQ(existing.paths()[0], dir / L"there");

  const FileSystemError unreachable =
      test::raised<FileSystemError>([&] { create_directory(dir / L"missing/child"); }).value();
  EXPECT_EQ(unreachable.operation(), "create_directory");
  EXPECT_FALSE(exists(dir / L"missing"));
}

struct CreateCase {
  const char* name;
  const wchar_t* existing_folder;  // made beforehand, below the temporary folder ("" for none)
  const wchar_t* wanted;           // below the temporary folder
};

std::ostream& operator<<(std::ostream& os, const CreateCase& c) { return os << c.name; }

class CreateDirectories : public ::testing::TestWithParam<CreateCase> {};

TEST_P(CreateDirectories, CreatesWhatIsMissing) {
  TempDir dir;
  if (*GetParam().existing_folder != L'\0') make_directories(dir / GetParam().existing_folder);
  create_directories(dir / GetParam().wanted);
  EXPECT_TRUE(is_folder(dir / GetParam().wanted));
}

INSTANTIATE_TEST_SUITE_P(Table, CreateDirectories,
                         ::testing::Values(CreateCase{"Existing", L"Backups", L"Backups"},
                                           CreateCase{"OneMissing", L"", L"Logs"},
                                           CreateCase{"ThreeMissing", L"", L"a/b/c"},
                                           CreateCase{"BelowExisting", L"a/b", L"a/b/c/d"},
                                           CreateCase{"TrailingSeparator", L"", L"x/y/"},
                                           CreateCase{"Umlauts", L"", L"\u00dcber/Gr\u00f6\u00dfe"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CreateDirectoriesFailure, EmptyPathIsPathNotFound) {
  const FileSystemError e = test::raised<FileSystemError>([] { create_directories(Path()); }).value();
  EXPECT_EQ(e.operation(), "create_directories");
  EXPECT_EQ(e.code(), std::errc::no_such_file_or_directory);
}

TEST(CreateDirectoriesFailure, FileInTheWayFailsAndStays) {
  TempDir dir;
  write_file(dir / L"file", "content");
  for (const wchar_t* wanted : {L"file", L"file/below", L"file/below/deeper"}) {
    const FileSystemError e = test::raised<FileSystemError>([&] { create_directories(dir / wanted); }).value();
    EXPECT_EQ(e.operation(), "create_directories");
    ASSERT_EQ(e.paths().size(), 1u);
    EXPECT_EQ(e.paths()[0], dir / wanted);
  }
  EXPECT_EQ(read_file(dir / L"file"), "content");
}

TEST(CopyFile, WithoutOverwriteCreatesAndRefusesAnExistingFile) {
  TempDir dir;
  write_file(dir / L"from.dll", "new");
  copy_file(dir / L"from.dll", dir / L"to.dll", false);
  EXPECT_EQ(read_file(dir / L"to.dll"), "new");

  write_file(dir / L"taken.dll", "old");
  const FileSystemError e =
      test::raised<FileSystemError>([&] { copy_file(dir / L"from.dll", dir / L"taken.dll", false); }).value();
  EXPECT_EQ(e.operation(), "copy_file");
  ASSERT_EQ(e.paths().size(), 2u);
  EXPECT_EQ(e.paths()[0], dir / L"from.dll");
  EXPECT_EQ(e.paths()[1], dir / L"taken.dll");
  EXPECT_EQ(read_file(dir / L"taken.dll"), "old");
}

TEST(CopyFile, WithOverwriteReplacesAnExistingFile) {
  TempDir dir;
  write_file(dir / L"from.dll", "patched build");
  write_file(dir / L"to.dll", "original build, longer than the new one");
  copy_file(dir / L"from.dll", dir / L"to.dll", true);
  EXPECT_EQ(read_file(dir / L"to.dll"), "patched build");
  copy_file(dir / L"from.dll", dir / L"new.dll", true);
  EXPECT_EQ(read_file(dir / L"new.dll"), "patched build");
}

TEST(CopyFile, MissingSourceFailsAndLeavesTheDestination) {
  TempDir dir;
  write_file(dir / L"to.ini", "kept");
  for (const bool overwrite : {false, true}) {
    const FileSystemError e =
        test::raised<FileSystemError>([&] { copy_file(dir / L"missing.ini", dir / L"to.ini", overwrite); }).value();
    EXPECT_EQ(e.operation(), "copy_file");
    EXPECT_EQ(read_file(dir / L"to.ini"), "kept");
  }
  std::vector<std::string> left;  // nothing beside the destination: no temporary file of a failed copy
  for (const auto& entry : std::filesystem::directory_iterator(test::std_path(dir.path()))) {
    left.push_back(entry.path().filename().u8string());
  }
  EXPECT_EQ(left, std::vector<std::string>{"to.ini"});
}

TEST(CopyFile, OntoItselfLosesNothing) {
  TempDir dir;
  write_file(dir / L"same.ini", "content");
  try {
    copy_file(dir / L"same.ini", dir / L"same.ini", true);
  } catch (const FileSystemError&) {
    // Windows refuses; either way the content must survive.
  }
  EXPECT_EQ(read_file(dir / L"same.ini"), "content");
}

}  // namespace
}  // namespace tavo::fs
