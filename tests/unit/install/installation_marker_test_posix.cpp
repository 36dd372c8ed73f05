// A link at the marker's name: the marker is written only as a plain file of the setup's own.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/error.hpp"
#include "install/installation_marker.hpp"
#include "support/test_support.hpp"

namespace tavo::install {
namespace {

TEST(InstallationMarkerPosix, ALinkAtItsNameIsNotFollowed) {
  test::TempDir dir;
  test::write_file(dir / L"draussen/eigen.txt", "the user's own");
  for (const wchar_t* target : {L"draussen/eigen.txt", L"draussen/neu.txt"}) {
    SCOPED_TRACE(test::std_path(dir / target).string());
    std::filesystem::remove(test::std_path(dir / L"Ziel/TAVO-x64-installation.txt"));
    test::make_directories(dir / L"Ziel");
    std::filesystem::create_symlink(test::std_path(dir / target), test::std_path(dir / L"Ziel/TAVO-x64-installation.txt"));
    const auto e = tavo::test::raised<Error>([&] { write_installation_marker(dir / L"Ziel"); });
    ASSERT_TRUE(e);
    EXPECT_STREQ(e->what(), "Cannot write installation marker");
  }
  EXPECT_EQ(test::read_file(dir / L"draussen/eigen.txt"), "the user's own");
  EXPECT_FALSE(test::exists(dir / L"draussen/neu.txt"));
}

}  // namespace
}  // namespace tavo::install
