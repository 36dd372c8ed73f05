// The final rename: bounded retries of transient failures only, and never while a target stands in the way.
#include "install/finalize.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <deque>

#include "common/system_error.hpp"
#include "fs/file_operations.hpp"
#include "fs/filesystem_error.hpp"
#include "support/test_support.hpp"
#include "tavo/build_config.hpp"

namespace tavo::install {
namespace {

// The platform's two retried codes (POSIX has only one), and an error that is not worth waiting for.
const std::error_code kAccessDenied = system_error_code(build_config::windows ? 5 : EBUSY);
const std::error_code kSharingViolation = system_error_code(build_config::windows ? 32 : EBUSY);
const std::error_code kPathNotFound = system_error_code(build_config::windows ? 3 : ENOENT);

// Records the pauses instead of waiting, for the length of a test.
std::vector<unsigned>* recorded_sleeps = nullptr;

class RecordedSleeps {
 public:
  RecordedSleeps() : previous_(set_retry_sleep([](unsigned ms) { recorded_sleeps->push_back(ms); })) {
    recorded_sleeps = &sleeps;
  }
  RecordedSleeps(const RecordedSleeps&) = delete;
  RecordedSleeps& operator=(const RecordedSleeps&) = delete;
  ~RecordedSleeps() {
    set_retry_sleep(previous_);
    recorded_sleeps = nullptr;
  }
  std::vector<unsigned> sleeps;

 private:
  RetrySleep previous_;
};

class ScriptedRename final : public RenameCalls {
 public:
  ScriptedRename(std::deque<std::error_code> results, std::error_code repeated = kAccessDenied,
                 int appear_after_attempt = -1)
      : results_(std::move(results)), repeated_(repeated), appear_after_attempt_(appear_after_attempt) {}

  std::error_code rename(const fs::Path&, const fs::Path&) override {
    ++attempts;
    if (results_.empty()) return repeated_;
    const std::error_code r = results_.front();
    results_.pop_front();
    return r;
  }
  bool exists(const fs::Path&) override { return appear_after_attempt_ >= 0 && attempts >= appear_after_attempt_; }

  int attempts = 0;

 private:
  std::deque<std::error_code> results_;  // one per attempt; empty = success; none left = keep failing
  std::error_code repeated_;
  int appear_after_attempt_;  // the target exists from this attempt on
};

const fs::Path kStaging(L"Ziel.vorbereitung-4711");
const fs::Path kTarget(L"Ziel");

TEST(FinalizeInstallation, TransientFailuresAreRetriedUntilTheRenameSucceeds) {
  RecordedSleeps pauses;
  ScriptedRename rename({kAccessDenied, kSharingViolation, kAccessDenied, {}});
  finalize_installation(kStaging, kTarget, rename);
  EXPECT_EQ(rename.attempts, 4);
  EXPECT_EQ(pauses.sleeps, (std::vector<unsigned>{250, 250, 250}));
}

TEST(FinalizeInstallation, GivesUpAfterSixtyAttempts) {
  RecordedSleeps pauses;
  ScriptedRename rename({});
  const auto e = test::raised<fs::FileSystemError>([&] { finalize_installation(kStaging, kTarget, rename); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->operation(), "Cannot finalize installation");
  EXPECT_EQ(e->code(), kAccessDenied);
  EXPECT_EQ(e->paths(), (std::vector<fs::Path>{kStaging, kTarget}));
  const std::string text = e->what();
  EXPECT_EQ(text.rfind("Cannot finalize installation: ", 0), 0u) << text;
  EXPECT_NE(text.find(": \"Ziel.vorbereitung-4711\", \"Ziel\""), std::string::npos) << text;
  EXPECT_EQ(rename.attempts, 60);
  EXPECT_EQ(pauses.sleeps.size(), 60u);
}

TEST(FinalizeInstallation, OtherFailuresAndAnAppearedTargetStopAtOnce) {
  struct Case {
    const char* name;
    ScriptedRename rename;
    std::error_code code;
  };
  Case cases[] = {
      {"path not found", ScriptedRename({kPathNotFound}), kPathNotFound},
      {"target appeared", ScriptedRename({kAccessDenied}, kAccessDenied, 1), kAccessDenied},
      {"target appeared on the third attempt",
       ScriptedRename({kAccessDenied, kAccessDenied, kSharingViolation}, kAccessDenied, 3), kSharingViolation},
      // EACCES is a lasting lack of rights on POSIX; on Windows a virus scanner holds the folder.
      {"access denied off Windows", ScriptedRename({system_error_code(build_config::windows ? 2 : EACCES)}),
       system_error_code(build_config::windows ? 2 : EACCES)},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordedSleeps pauses;
    const auto e = test::raised<fs::FileSystemError>([&] { finalize_installation(kStaging, kTarget, c.rename); });
    if (e) EXPECT_EQ(e->code(), c.code);
    EXPECT_EQ(pauses.sleeps.size(), static_cast<std::size_t>(c.rename.attempts - 1));
  }
}

TEST(FinalizeInstallation, NeverReplacesAFolderThatAppearedAtTheTarget) {
  test::TempDir dir;
  const fs::Path staging = dir / L"Ziel.vorbereitung-1";
  const fs::Path target = dir / L"Ziel";
  test::write_file(fs::join(staging, L"TAVO-x64-installation.txt"), "marker");
  test::make_directories(target);  // somebody else's, even though empty
  EXPECT_THROW(finalize_installation(staging, target), fs::FileSystemError);
  EXPECT_TRUE(test::exists(fs::join(staging, L"TAVO-x64-installation.txt")));
  EXPECT_FALSE(test::exists(fs::join(target, L"TAVO-x64-installation.txt")));

  const fs::Path free_target = dir / L"Frei";
  finalize_installation(staging, free_target);
  EXPECT_EQ(test::read_file(fs::join(free_target, L"TAVO-x64-installation.txt")), "marker");
  EXPECT_FALSE(test::exists(staging));
}

// Somebody creates a file at the target name between the existence check and the rename.
class FileAppearsBeforeTheRename final : public RenameCalls {
 public:
  std::error_code rename(const fs::Path& from, const fs::Path& to) override {
    if (attempts++ == 0) test::write_file(to, "the user's own file");
    return fs::rename_without_replace(from, to);
  }
  bool exists(const fs::Path& path) override { return system_rename_calls().exists(path); }
  int attempts = 0;
};

TEST(FinalizeInstallation, NeverReplacesAFileThatAppearedAfterTheCheck) {
  test::TempDir dir;
  const fs::Path staging = dir / L"Ziel.vorbereitung-1";
  const fs::Path target = dir / L"Ziel";
  test::write_file(fs::join(staging, L"TAVO-x64-installation.txt"), "marker");
  FileAppearsBeforeTheRename calls;
  EXPECT_THROW(finalize_installation(staging, target, calls), fs::FileSystemError);
  EXPECT_EQ(calls.attempts, 1);
  EXPECT_EQ(test::read_file(target), "the user's own file");
  EXPECT_EQ(test::read_file(fs::join(staging, L"TAVO-x64-installation.txt")), "marker");
}

}  // namespace
}  // namespace tavo::install
