// Who holds the staging folder during the wait at the final rename: the Restart Manager's answer, played by the
// door's rule for a held rename, shown as the phase's detail line, and only when it names somebody.
#include "install/finalize.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fs/filesystem_error.hpp"
#include "support/held_staging.hpp"
#include "support/progress_counter.hpp"
#include "support/test_support.hpp"
#include "sys/door_control.hpp"
#include "sys/documented_control_win.hpp"

namespace tavo::install {
namespace {

class HoldersOfTheStagingFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    test::write_file(fs::join(staging_, L"App/Bin/Tavo.exe"), "program");
    test::write_file(fs::join(staging_, L"TAVO-x64-installation.txt"), "marker");
    sys::test::skip_pauses(true);
    fault::arm({});
  }
  void TearDown() override {
    sys::documented::enforce({});
    sys::test::skip_pauses(false);
    sys::test::clear_hooks();
  }

  test::TempDir dir_;
  const fs::Path staging_ = dir_ / L"Ziel.vorbereitung-4711";
  const fs::Path target_ = dir_ / L"Ziel";
};

TEST_F(HoldersOfTheStagingFolder, ShownWhenTheSystemNamesThemAndNeverFailTheRun) {
  struct Case {
    const char* name;
    std::wstring holder;                 // the application the Restart Manager names; empty: nobody
    const char* failing_call;            // a Restart Manager call that fails; nullptr: none
    std::vector<std::wstring> details;
  };
  const Case cases[] = {
      {"named", L"OneDrive.exe", nullptr, {L"Gehalten von: OneDrive.exe"}},
      {"nobody named", L"", nullptr, {}},
      {"session refused", L"OneDrive.exe", "RmStartSession", {}},
      {"registration refused", L"OneDrive.exe", "RmRegisterResources", {}},
      {"list refused", L"OneDrive.exe", "RmGetList", {}},
  };
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::Path staging = dir_ / (L"Ziel.vorbereitung-" + std::to_wstring(++round));
    const fs::Path target = dir_ / (L"Ziel-" + std::to_wstring(round));
    test::write_file(fs::join(staging, L"App/Bin/Tavo.exe"), "program");
    sys::documented::Rules rules;
    rules.rename_holder = c.holder;
    sys::documented::enforce(rules);
    sys::test::skip_pauses(true);
    fault::arm({});
    // Held for 12 s: the holders are asked for at 0, 5 and 10 s; a failing call fails each of those lookups.
    sys::test::script("MoveFileExW", std::vector<int>(48, ERROR_SHARING_VIOLATION));
    if (c.failing_call != nullptr) sys::test::script(c.failing_call, std::vector<int>(3, ERROR_ACCESS_DENIED));
    test::ProgressCounter progress;
    test::finalize(staging, target);
    sys::test::clear_hooks();
    EXPECT_EQ(progress.phases, std::vector<progress::Phase>{progress::Phase::waiting_for_release});
    EXPECT_EQ(progress.details, c.details) << "the same holders are shown once";
    EXPECT_EQ(sys::test::count_of("RmStartSession"), 3);
    EXPECT_EQ(sys::test::count_of("RmEndSession"), c.failing_call && std::string(c.failing_call) == "RmStartSession"
                                                       ? 0
                                                       : 3)
        << "every session begun is ended";
    EXPECT_EQ(test::read_file(fs::join(target, L"App/Bin/Tavo.exe")), "program");
  }
}

TEST_F(HoldersOfTheStagingFolder, AskedForEveryFiveSecondsAtMost) {
  sys::documented::Rules rules;
  rules.rename_holder = L"MsMpEng.exe";
  sys::documented::enforce(rules);
  sys::test::script("MoveFileExW", std::vector<int>(300, ERROR_ACCESS_DENIED));
  test::ProgressCounter progress;
  EXPECT_THROW(test::finalize(staging_, target_), fs::FileSystemError);
  // 60 s of waiting: asked at 0, 5, ... 55 s; RmGetList first without room, then with room for the one holder.
  EXPECT_EQ(sys::test::count_of("RmStartSession"), 12);
  EXPECT_EQ(sys::test::count_of("RmRegisterResources"), 12);
  EXPECT_EQ(sys::test::count_of("RmGetList"), 24);
  EXPECT_EQ(progress.details, std::vector<std::wstring>{L"Gehalten von: MsMpEng.exe"});
}

}  // namespace
}  // namespace tavo::install
