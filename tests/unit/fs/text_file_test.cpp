// The result file and the marker are written only as plain files of the setup's own.
#include "fs/text_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "link_support.hpp"
#include "support/test_support.hpp"
#include "tavo/build_config.hpp"

namespace tavo::fs {
namespace {

using test::read_file;
using test::TempDir;
using test::write_file;

const std::string kEol = build_config::windows ? "\r\n" : "\n";

bool written(const Path& path, std::string_view text) { return !write_own_text_file(path, text); }

TEST(WriteTextFile, CreatesOrTruncatesAPlainFileInTextMode) {
  TempDir dir;
  ASSERT_TRUE(written(dir / L"new.txt", "OK\nzwei\n"));
  EXPECT_EQ(read_file(dir / L"new.txt"), "OK" + kEol + "zwei" + kEol);
  write_file(dir / L"old.txt", std::string(1000, 'x'));
  ASSERT_TRUE(written(dir / L"old.txt", "OK\n"));
  EXPECT_EQ(read_file(dir / L"old.txt"), "OK" + kEol);
}

TEST(WriteTextFile, LeavesEverythingButAPlainFileAlone) {
  TempDir dir;
  write_file(dir / L"outside/secret.txt", "the user's own");
  test::make_directories(dir / L"folder");

  // A second name of the user's file.
  std::filesystem::create_hard_link(test::std_path(dir / L"outside/secret.txt"), test::std_path(dir / L"hard.txt"));
  EXPECT_FALSE(written(dir / L"hard.txt", "OK\n"));
  EXPECT_FALSE(written(dir / L"folder", "OK\n"));
  EXPECT_EQ(read_file(dir / L"outside/secret.txt"), "the user's own");
}

TEST(WriteTextFile, LeavesLinksAlone) {
  TempDir dir;
  write_file(dir / L"outside/secret.txt", "the user's own");
  const test::SymbolicLink folder_link(dir / L"outside", dir / L"folder-link", true);
  if (!folder_link.made()) GTEST_SKIP() << "links to folders cannot be made here";
  EXPECT_FALSE(written(dir / L"folder-link", "OK\n"));

  const test::SymbolicLink file_link(dir / L"outside/secret.txt", dir / L"link.txt", false);
  const test::SymbolicLink dangling(dir / L"outside/created.txt", dir / L"dangling.txt", false);
  if (!file_link.made() || !test::link_is_visible(dir / L"link.txt")) {
    GTEST_SKIP() << "a link to a file is not seen as a link here (Wine shows a Linux file link as a plain file)";
  }
  EXPECT_FALSE(written(dir / L"link.txt", "OK\n"));
  EXPECT_FALSE(written(dir / L"dangling.txt", "OK\n"));
  EXPECT_FALSE(test::exists(dir / L"outside/created.txt"));
  EXPECT_EQ(read_file(dir / L"outside/secret.txt"), "the user's own");
}

TEST(OwnTextFile, WritesPieceByPieceAndNewOnlyRefusesAFileThere) {
  TempDir dir;
  std::error_code error;
  std::optional<OwnTextFile> file = OwnTextFile::create(dir / L"lauf.log", true, error);
  ASSERT_TRUE(file.has_value()) << error.message();
  EXPECT_FALSE(file->write("eins\n"));
  EXPECT_FALSE(file->write("zwei\n"));
  EXPECT_FALSE(file->close());
  EXPECT_EQ(read_file(dir / L"lauf.log"), "eins" + kEol + "zwei" + kEol);

  EXPECT_FALSE(OwnTextFile::create(dir / L"lauf.log", true, error).has_value());
  EXPECT_EQ(error, std::errc::file_exists);
  EXPECT_EQ(read_file(dir / L"lauf.log"), "eins" + kEol + "zwei" + kEol);
}

TEST(ReadFirstLine, ReadsARegularFileOnly) {
  TempDir dir;
  write_file(dir / L"marker.txt", "TAVO-WIN10-X64-1.0.0\r\nOriginal software preserved.\r\n");
  write_file(dir / L"one-line.txt", "kurz");
  test::make_directories(dir / L"folder");
  EXPECT_EQ(read_first_line(dir / L"marker.txt", 22), "TAVO-WIN10-X64-1.0.0");
  EXPECT_EQ(read_first_line(dir / L"marker.txt", 4), "TAVO");
  EXPECT_EQ(read_first_line(dir / L"one-line.txt", 22), "kurz");
  EXPECT_EQ(read_first_line(dir / L"missing.txt", 22), std::nullopt);
  EXPECT_EQ(read_first_line(dir / L"folder", 22), std::nullopt);
}

}  // namespace
}  // namespace tavo::fs
