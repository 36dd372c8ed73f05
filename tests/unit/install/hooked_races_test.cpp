// Races made into steps: the door's hook acts at the exact call where another program would.
#include <gtest/gtest.h>

#include <string>

#include "fs/filesystem_error.hpp"
#include "install/finalize.hpp"
#include "support/test_support.hpp"
#include "sys/door_control.hpp"
#include "tavo/build_config.hpp"

namespace tavo::install {
namespace {

const std::string kRename = build_config::windows ? "MoveFileExW" : "renameat2";

TEST(HookedRaces, FileAppearingAtTheTargetJustBeforeTheRenameStaysAndFailsTheRun) {
  test::TempDir dir;
  const fs::Path staging = dir / L"Ziel.vorbereitung-7";
  const fs::Path target = dir / L"Ziel";
  test::write_file(fs::join(staging, L"App/Bin/Tavo.exe"), "installation");
  bool placed = false;
  sys::test::before_call(kRename, 1, [&] {
    test::write_file(target, "the user's own file");
    placed = true;
  });
  const auto error = test::raised<fs::FileSystemError>([&] { finalize_installation(staging, target); });
  sys::test::clear_hooks();
  ASSERT_TRUE(placed);
  ASSERT_TRUE(error);
  EXPECT_STREQ(error->what(), fs::FileSystemError("Cannot finalize installation", error->code(), staging, target).what());
  EXPECT_EQ(test::read_file(target), "the user's own file");
  EXPECT_EQ(test::read_file(fs::join(staging, L"App/Bin/Tavo.exe")), "installation");
}

}  // namespace
}  // namespace tavo::install
