#include "fs/file_status.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fs/filesystem_error.hpp"
#include "support/test_support.hpp"
#include "tavo/build_config.hpp"

namespace tavo::fs {
namespace {

using test::TempDir;

// A folder with a file, a subfolder and nothing else; paths in the cases are relative to it.
class FileStatusTree : public ::testing::Test {
 protected:
  void SetUp() override {
    test::write_file(dir / L"file.txt", "x");
    test::make_directories(dir / L"folder/inner");
  }
  TempDir dir;
};

struct StatusCase {
  const wchar_t* rel;
  FileType type;
};

TEST_F(FileStatusTree, ReportsWhatIsThere) {
  const StatusCase cases[] = {
      {L"file.txt", FileType::regular},
      {L"folder", FileType::directory},
      {L"folder/inner", FileType::directory},
      {L"folder\\inner", build_config::windows ? FileType::directory : FileType::not_found},
      {L"folder/", FileType::directory},
      {L"missing.txt", FileType::not_found},
      {L"missing/below/x.txt", FileType::not_found},
      {L"file.txt/below", FileType::not_found},  // a file where a folder should be
  };
  for (const StatusCase& c : cases) {
    const Path path = join(dir.path(), c.rel);
    SCOPED_TRACE(test::std_path(path).string());
    EXPECT_EQ(status(path), c.type);
    EXPECT_EQ(exists(path), c.type != FileType::not_found);
  }
}

TEST_F(FileStatusTree, PathWithEmbeddedNulNamesNothing) {
  // The text up to the NUL names an existing file; the whole text does not.
  const Path path = dir / std::wstring(L"file.txt\0tail", 13);
  EXPECT_EQ(status(path), FileType::not_found);
  EXPECT_FALSE(exists(path));
}

TEST(FileStatus, EmptyPathIsNotFound) {
  EXPECT_EQ(status(Path()), FileType::not_found);
  EXPECT_FALSE(exists(Path()));
}

}  // namespace
}  // namespace tavo::fs
