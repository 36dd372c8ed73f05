#include <gtest/gtest.h>

#include "common/error.hpp"
#include "install/staging_folder.hpp"
#include "install/installation_marker.hpp"
#include "support/test_support.hpp"
#include "tavo/build_config.hpp"

namespace tavo::install {
namespace {

TEST(InstallationMarker, IsTwoTextLinesWithThePlatformsLineEnds) {
  test::TempDir dir;
  write_installation_marker(dir.path());
  const std::string eol = build_config::windows ? "\r\n" : "\n";
  EXPECT_EQ(test::read_file(dir / L"TAVO-x64-installation.txt"),
            "TAVO-WIN10-X64-1.0.0" + eol + "Original software preserved." + eol);
}

TEST(InstallationMarker, UnwritableMarkerIsReported) {
  test::TempDir dir;
  const auto e = tavo::test::raised<Error>([&] { write_installation_marker(dir / L"fehlt"); });
  ASSERT_TRUE(e);
  EXPECT_STREQ(e->what(), "Cannot write installation marker");
  // The system's code, for the run's log: the folder is missing (ENOENT, ERROR_PATH_NOT_FOUND).
  EXPECT_EQ(e->reason().rfind(build_config::windows ? "3 (" : "2 (", 0), 0u) << e->reason();
}

TEST(InstallationMarker, AFolderAtItsNameIsLeftAloneAndReported) {
  test::TempDir dir;
  test::write_file(dir / L"TAVO-x64-installation.txt/inhalt.txt", "somebody's");
  const auto e = tavo::test::raised<Error>([&] { write_installation_marker(dir.path()); });
  ASSERT_TRUE(e);
  EXPECT_STREQ(e->what(), "Cannot write installation marker");
  EXPECT_EQ(test::read_file(dir / L"TAVO-x64-installation.txt/inhalt.txt"), "somebody's");
  EXPECT_FALSE(is_current_installation(dir.path(), dir.path()));
}

TEST(InstallationMarker, ForeignTargetsAreNotThisInstallation) {
  test::TempDir dir;
  // Each of these fails on the marker line, before any digest is needed.
  for (const char* marker : {"", "TAVO-WIN10-X64-1.0.0 \n", "tavo-win10-x64-1.0.0\n", "TAVO-WIN10-X64-1.0.00\n",
                             "TAVO-WIN10-X64-1.0\n", "TAVO-WIN10-X64-1.0.0\rjunk\n"}) {
    test::write_file(dir / L"Ziel/TAVO-x64-installation.txt", marker);
    EXPECT_FALSE(is_current_installation(dir / L"Ziel", dir / L"Dateien")) << marker;
  }
  EXPECT_FALSE(is_current_installation(dir / L"ohne Marker", dir / L"Dateien"));
}

TEST(InstallationMarker, MatchingMarkerWithoutDriverDllRaisesTheDigestError) {
  test::TempDir dir;
  for (const char* marker : {"TAVO-WIN10-X64-1.0.0\n", "TAVO-WIN10-X64-1.0.0\r\n", "TAVO-WIN10-X64-1.0.0"}) {
    test::write_file(dir / L"Ziel/TAVO-x64-installation.txt", marker);
    try {
      (void)is_current_installation(dir / L"Ziel", dir / L"Dateien");
      ADD_FAILURE() << "no error raised";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), "Cannot read input file");
    }
  }
}

TEST(StagingFolder, IsTheTargetsTextWithTheProcessId) {
  EXPECT_EQ(staging_folder(fs::Path(L"C:\\Users\\J\u00fcrgen\\Documents\\Tessaroll TAVO-x64"), 4711).text(),
            L"C:\\Users\\J\u00fcrgen\\Documents\\Tessaroll TAVO-x64.vorbereitung-4711");
  EXPECT_EQ(staging_folder(fs::Path(L"/srv/x"), 4294967295u).text(), L"/srv/x.vorbereitung-4294967295");
  EXPECT_EQ(staging_folder(fs::Path(L"/srv/x"), 32, 2).text(), L"/srv/x.vorbereitung-32-2");
}

TEST(StagingFolder, LeftoversOfEarlierRunsWithTheSameIdAreStepped) {
  test::TempDir dir;
  const fs::Path target = dir / L"Ziel";
  test::write_file(dir / L"Ziel.vorbereitung-32/App/left.txt", "crashed run");
  test::write_file(dir / L"Ziel.vorbereitung-32-2", "a file of that name");
  fs::HeldFolder parent;
  ASSERT_FALSE(fs::HeldFolder::open(dir.path(), parent));
  EXPECT_EQ(create_staging_folder(parent, L"Ziel", 32).name, L"Ziel.vorbereitung-32-3");
  EXPECT_TRUE(test::exists(dir / L"Ziel.vorbereitung-32-3"));
  EXPECT_EQ(test::read_file(dir / L"Ziel.vorbereitung-32/App/left.txt"), "crashed run");
  EXPECT_EQ(test::read_file(dir / L"Ziel.vorbereitung-32-2"), "a file of that name");
  EXPECT_FALSE(test::exists(target));
}

TEST(StagingFolder, AllNamesTakenIsRefused) {
  test::TempDir dir;
  for (unsigned attempt = 1; attempt <= kStagingNames; ++attempt) {
    test::make_directories(staging_folder(dir / L"Ziel", 7, attempt));
  }
  try {
    fs::HeldFolder parent;
    ASSERT_FALSE(fs::HeldFolder::open(dir.path(), parent));
    (void)create_staging_folder(parent, L"Ziel", 7);
    ADD_FAILURE() << "no error raised";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Temporary installation folder already exists");
  }
  EXPECT_FALSE(test::exists(staging_folder(dir / L"Ziel", 7, kStagingNames + 1)));
}

}  // namespace
}  // namespace tavo::install
