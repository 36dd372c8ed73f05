// The final rename: retries of transient failures only, for 60 s from the first one, and never while a target
// stands in the way. The system's answers are scripted at the door: the rename is real, its refusals are the
// platform's own codes, and the clock is the sum of the pauses that the test skips.
#include "install/finalize.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <numeric>
#include <string>
#include <vector>

#include "common/system_error.hpp"
#include "fs/filesystem_error.hpp"
#include "support/held_staging.hpp"
#include "support/progress_counter.hpp"
#include "support/test_support.hpp"
#include "sys/door_control.hpp"
#include "tavo/build_config.hpp"

namespace tavo::install {
namespace {

const std::string kRename = build_config::windows ? "MoveFileExW" : "renameat2";
// The platform's two retried codes (POSIX has only one), and an error that is not worth waiting for.
const int kAccessDenied = build_config::windows ? 5 : EBUSY;
const int kSharingViolation = build_config::windows ? 32 : EBUSY;
const int kPathNotFound = build_config::windows ? 3 : ENOENT;

class FinalizeInstallation : public ::testing::Test {
 protected:
  void SetUp() override {
    test::write_file(fs::join(staging_, L"TAVO-x64-installation.txt"), "marker");
    sys::test::skip_pauses(true);
    fault::arm({});
  }
  void TearDown() override {
    sys::test::skip_pauses(false);
    sys::test::clear_hooks();
  }
  long attempts() const { return sys::test::count_of(kRename); }
  // The target appears just before the rename's `nth` attempt.
  void target_appears_before_attempt(long nth) {
    sys::test::before_call(kRename, nth, [this] { test::write_file(target_, "the user's own file"); });
  }

  test::TempDir dir_;
  const fs::Path staging_ = dir_ / L"Ziel.vorbereitung-4711";
  const fs::Path target_ = dir_ / L"Ziel";
};

const std::vector<progress::Phase> kWaited{progress::Phase::waiting_for_release};

TEST_F(FinalizeInstallation, TransientFailuresAreRetriedUntilTheRenameSucceeds) {
  test::ProgressCounter progress;
  sys::test::script(kRename, {kAccessDenied, kSharingViolation, kAccessDenied});
  test::finalize(staging_, target_);
  EXPECT_EQ(attempts(), 4);
  EXPECT_EQ(sys::test::pauses(), (std::vector<unsigned>{250, 250, 250}));
  EXPECT_EQ(progress.phases, kWaited) << "the wait begins once, at the first failure";
  EXPECT_EQ(test::read_file(fs::join(target_, L"TAVO-x64-installation.txt")), "marker");
  EXPECT_FALSE(test::exists(staging_));
}

TEST_F(FinalizeInstallation, RenamesWithoutReplacingAndThroughToTheDisk) {
  test::finalize(staging_, target_);
  const unsigned long flags = sys::test::flags_of(kRename);
  if constexpr (build_config::windows) {
    EXPECT_EQ(flags & 0x1, 0u) << "MOVEFILE_REPLACE_EXISTING";
    EXPECT_EQ(flags & 0x8, 0x8u) << "MOVEFILE_WRITE_THROUGH";
  } else {
    EXPECT_EQ(flags, 1u) << "RENAME_NOREPLACE";
  }
}

TEST_F(FinalizeInstallation, RenamesAtOnceWithoutWaiting) {
  test::ProgressCounter progress;
  test::finalize(staging_, target_);
  EXPECT_EQ(attempts(), 1);
  EXPECT_TRUE(sys::test::pauses().empty());
  EXPECT_TRUE(progress.phases.empty());
  EXPECT_TRUE(progress.details.empty());
}

TEST_F(FinalizeInstallation, GivesUpSixtySecondsAfterTheFirstFailure) {
  test::ProgressCounter progress;
  sys::test::script(kRename, std::vector<int>(300, kAccessDenied));
  const auto e = test::raised<fs::FileSystemError>([&] { test::finalize(staging_, target_); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->operation(), "Cannot finalize installation");
  EXPECT_EQ(e->code(), system_error_code(kAccessDenied));
  EXPECT_EQ(e->paths(), (std::vector<fs::Path>{staging_, target_}));
  const std::string text = e->what();
  EXPECT_EQ(text.rfind("Cannot finalize installation: ", 0), 0u) << text;
  // Failures at 0, 0.25, ... 60 s: the one at 60 s is the last, with no pause after it.
  EXPECT_EQ(attempts(), 241);
  const std::vector<unsigned> pauses = sys::test::pauses();
  EXPECT_EQ(pauses, std::vector<unsigned>(240, 250));
  EXPECT_EQ(std::accumulate(pauses.begin(), pauses.end(), 0u), 60'000u);
  EXPECT_EQ(progress.phases, kWaited);
  if constexpr (!build_config::windows) EXPECT_TRUE(progress.details.empty()) << "nobody names the holders";
  EXPECT_TRUE(test::exists(fs::join(staging_, L"TAVO-x64-installation.txt")));
  EXPECT_FALSE(test::exists(target_));
}

TEST_F(FinalizeInstallation, TheDeadlineCountsFromTheFirstFailureNotTheAttempts) {
  // The last failure at 59.75 s, the rename passes at 60 s: waited for, whichever of the two codes it met.
  std::vector<int> script(240, kSharingViolation);
  script[7] = kAccessDenied;
  sys::test::script(kRename, script);
  test::finalize(staging_, target_);
  EXPECT_EQ(attempts(), 241);
  EXPECT_EQ(sys::test::pauses().size(), 240u);
  EXPECT_EQ(test::read_file(fs::join(target_, L"TAVO-x64-installation.txt")), "marker");
}

TEST_F(FinalizeInstallation, OtherFailuresAndAnAppearedTargetStopAtOnce) {
  struct Case {
    const char* name;
    std::vector<int> script;
    long target_appears_before;  // 0: never
    int code;
    long attempts;
    bool waited;  // the phase of the wait began
  };
  const Case cases[] = {
      {"path not found", {kPathNotFound}, 0, kPathNotFound, 1, false},
      {"target appeared", {kAccessDenied}, 1, kAccessDenied, 1, false},
      {"target appeared on the third attempt", {kAccessDenied, kAccessDenied, kSharingViolation}, 3,
       kSharingViolation, 3, true},
      {"path not found after a wait", {kAccessDenied, kPathNotFound}, 0, kPathNotFound, 2, true},
      // EACCES is a lasting lack of rights on POSIX; on Windows a virus scanner holds the folder, but a missing
      // file is no reason to wait.
      {"lasting refusal", {build_config::windows ? 2 : EACCES}, 0, build_config::windows ? 2 : EACCES, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    const fs::Path staging = dir / L"Ziel.vorbereitung-1";
    const fs::Path target = dir / L"Ziel";
    test::write_file(fs::join(staging, L"a.txt"), "a");
    sys::test::skip_pauses(true);
    fault::arm({});
    sys::test::script(kRename, c.script);
    if (c.target_appears_before > 0) {
      sys::test::before_call(kRename, c.target_appears_before, [target] { test::write_file(target, "own"); });
    }
    test::ProgressCounter progress;
    const auto e = test::raised<fs::FileSystemError>([&] { test::finalize(staging, target); });
    sys::test::clear_hooks();
    EXPECT_EQ(progress.phases, c.waited ? kWaited : std::vector<progress::Phase>{});
    if (e) EXPECT_EQ(e->code(), system_error_code(c.code));
    EXPECT_EQ(attempts(), c.attempts);
    EXPECT_EQ(sys::test::pauses().size(), static_cast<std::size_t>(c.attempts - 1));
    EXPECT_TRUE(test::exists(fs::join(staging, L"a.txt")));
  }
}

TEST_F(FinalizeInstallation, NeverReplacesAFolderThatAppearedAtTheTarget) {
  test::make_directories(target_);  // somebody else's, even though empty
  EXPECT_THROW(test::finalize(staging_, target_), fs::FileSystemError);
  EXPECT_EQ(attempts(), 1);
  EXPECT_TRUE(test::exists(fs::join(staging_, L"TAVO-x64-installation.txt")));
  EXPECT_FALSE(test::exists(fs::join(target_, L"TAVO-x64-installation.txt")));

  const fs::Path free_target = dir_ / L"Frei";
  test::finalize(staging_, free_target);
  EXPECT_EQ(test::read_file(fs::join(free_target, L"TAVO-x64-installation.txt")), "marker");
  EXPECT_FALSE(test::exists(staging_));
}

TEST_F(FinalizeInstallation, NeverReplacesAFileThatAppearedAfterTheCheck) {
  target_appears_before_attempt(1);
  EXPECT_THROW(test::finalize(staging_, target_), fs::FileSystemError);
  EXPECT_EQ(attempts(), 1);
  EXPECT_EQ(test::read_file(target_), "the user's own file");
  EXPECT_EQ(test::read_file(fs::join(staging_, L"TAVO-x64-installation.txt")), "marker");
}

}  // namespace
}  // namespace tavo::install
