// Links in the original software's shape, and the order of the presence check's questions.
#include <gtest/gtest.h>

#include <filesystem>

#include "fs/filesystem_error.hpp"
#include "support/test_support.hpp"
#include "verify/original_software.hpp"

namespace tavo::verify {
namespace {

using tavo::test::TempDir;

void symlink(const TempDir& dir, const char* target, const wchar_t* name) {
  std::filesystem::create_symlink(target, tavo::test::std_path(dir / name));
}

TEST(HasOriginalSoftwareLinks, LinksAreFollowed) {
  TempDir dir;
  tavo::test::write_file(dir / L"elsewhere/Tavo.exe", "program");
  tavo::test::write_file(dir / L"elsewhere/TavoDrv.dll", "driver");
  tavo::test::make_directories(dir / L"elsewhere/Tavo");
  tavo::test::make_directories(dir / L"App/Bin");
  symlink(dir, "../../elsewhere/Tavo.exe", L"App/Bin/Tavo.exe");
  symlink(dir, "../../elsewhere/TavoDrv.dll", L"App/Bin/TavoDrv.dll");
  symlink(dir, "elsewhere/Tavo", L"Tavo");
  EXPECT_TRUE(has_original_software(dir.path()));
  std::filesystem::remove_all(tavo::test::std_path(dir / L"elsewhere/Tavo"));
  EXPECT_FALSE(has_original_software(dir.path())) << "a dangling link is no folder";
}

TEST(HasOriginalSoftwareLinks, AStatusFailureIsRaisedNotTakenAsAbsence) {
  TempDir dir;
  tavo::test::write_file(dir / L"App/Bin/Tavo.exe", "program");
  symlink(dir, "TavoDrv.dll", L"App/Bin/TavoDrv.dll");  // a link to itself: its status cannot be read
  tavo::test::make_directories(dir / L"Tavo");
  const auto e = tavo::test::raised<fs::FileSystemError>([&] { (void)has_original_software(dir.path()); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->operation(), "status");
  EXPECT_EQ(e->paths().at(0), dir / L"App/Bin/TavoDrv.dll");
}

TEST(HasOriginalSoftwareLinks, TheFirstFailedTestEndsTheCheck) {
  // Tavo.exe is a folder: the unreadable TavoDrv.dll after it is never asked about.
  TempDir dir;
  tavo::test::make_directories(dir / L"App/Bin/Tavo.exe");
  symlink(dir, "TavoDrv.dll", L"App/Bin/TavoDrv.dll");
  EXPECT_FALSE(has_original_software(dir.path()));
}

}  // namespace
}  // namespace tavo::verify
