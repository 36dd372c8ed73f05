// The final rename: bounded retries of transient failures only, and never while a target stands in the way.
#include <gtest/gtest.h>

#include <cerrno>
#include <deque>

#include "fs/file_operations.hpp"
#include "fs/filesystem_error.hpp"
#include "install/transaction.hpp"
#include "support/test_support.hpp"
#include "tavo/build_config.hpp"

namespace tavo::install {
namespace {

// The platform's two retried codes (POSIX has only one), and an error that is not worth waiting for.
constexpr int kAccessDenied = build_config::windows ? 5 : EBUSY;
constexpr int kSharingViolation = build_config::windows ? 32 : EBUSY;
constexpr int kPathNotFound = build_config::windows ? 3 : ENOENT;

struct ScriptedRename {
  std::deque<int> results;         // one per attempt; 0 = success; empty = keep failing with the last
  int repeated = kAccessDenied;
  int appear_after_attempt = -1;   // the target exists from this attempt on
  int attempts = 0;
  std::vector<unsigned> sleeps;

  RenameSystem system() {
    RenameSystem s;
    s.rename = [this](const fs::Path&, const fs::Path&) {
      ++attempts;
      if (results.empty()) return repeated;
      const int r = results.front();
      results.pop_front();
      return r;
    };
    s.exists = [this](const fs::Path&) { return appear_after_attempt >= 0 && attempts >= appear_after_attempt; };
    s.is_transient = [](int code) { return fs::is_transient_rename_error(code); };
    s.sleep = [this](unsigned ms) { sleeps.push_back(ms); };
    return s;
  }
};

const fs::Path kStaging = L"Ziel.vorbereitung-4711";
const fs::Path kTarget = L"Ziel";

TEST(FinalizeInstallation, TransientFailuresAreRetriedUntilTheRenameSucceeds) {
  ScriptedRename rename{{kAccessDenied, kSharingViolation, kAccessDenied, 0}};
  finalize_installation(kStaging, kTarget, rename.system());
  EXPECT_EQ(rename.attempts, 4);
  EXPECT_EQ(rename.sleeps, (std::vector<unsigned>{250, 250, 250}));
}

TEST(FinalizeInstallation, GivesUpAfterSixtyAttempts) {
  ScriptedRename rename;
  try {
    finalize_installation(kStaging, kTarget, rename.system());
    FAIL() << "no error raised";
  } catch (const fs::FileSystemError& e) {
    EXPECT_EQ(e.operation(), "Cannot finalize installation");
    EXPECT_EQ(e.code(), kAccessDenied);
    EXPECT_EQ(e.paths(), (std::vector<fs::Path>{kStaging, kTarget}));
    const std::string text = e.what();
    EXPECT_EQ(text.rfind("Cannot finalize installation: ", 0), 0u) << text;
    EXPECT_NE(text.find(": \"Ziel.vorbereitung-4711\", \"Ziel\""), std::string::npos) << text;
  }
  EXPECT_EQ(rename.attempts, 60);
  EXPECT_EQ(rename.sleeps.size(), 60u);
}

TEST(FinalizeInstallation, OtherFailuresAndAnAppearedTargetStopAtOnce) {
  struct Case {
    const char* name;
    ScriptedRename rename;
    int code;
  };
  Case cases[] = {
      {"path not found", ScriptedRename{{kPathNotFound}}, kPathNotFound},
      {"target appeared", ScriptedRename{{kAccessDenied}, kAccessDenied, 1}, kAccessDenied},
      {"target appeared on the third attempt", ScriptedRename{{kAccessDenied, kAccessDenied, kSharingViolation},
                                                              kAccessDenied, 3},
       kSharingViolation},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      finalize_installation(kStaging, kTarget, c.rename.system());
      ADD_FAILURE() << "no error raised";
    } catch (const fs::FileSystemError& e) {
      EXPECT_EQ(e.code(), c.code);
    }
    EXPECT_EQ(c.rename.sleeps.size(), static_cast<std::size_t>(c.rename.attempts - 1));
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

TEST(FinalizeInstallation, NeverReplacesAFileThatAppearedAfterTheCheck) {
  // Somebody creates a file at the target name between the existence check and the rename.
  test::TempDir dir;
  const fs::Path staging = dir / L"Ziel.vorbereitung-1";
  const fs::Path target = dir / L"Ziel";
  test::write_file(fs::join(staging, L"TAVO-x64-installation.txt"), "marker");
  RenameSystem system = system_rename();
  int attempts = 0;
  system.rename = [&](const fs::Path& from, const fs::Path& to) {
    if (attempts++ == 0) test::write_file(to, "the user's own file");
    return fs::rename_without_replace(from, to);
  };
  EXPECT_THROW(finalize_installation(staging, target, system), fs::FileSystemError);
  EXPECT_EQ(attempts, 1);
  EXPECT_EQ(test::read_file(target), "the user's own file");
  EXPECT_EQ(test::read_file(fs::join(staging, L"TAVO-x64-installation.txt")), "marker");
}

TEST(FinalizeInstallation, LastingAccessDeniedIsReportedAtOnceOffWindows) {
  if constexpr (build_config::windows) GTEST_SKIP() << "access denied is one of the retried codes on Windows";
  ScriptedRename rename{{EACCES}};
  EXPECT_THROW(finalize_installation(kStaging, kTarget, rename.system()), fs::FileSystemError);
  EXPECT_EQ(rename.attempts, 1);
  EXPECT_TRUE(rename.sleeps.empty());
}

}  // namespace
}  // namespace tavo::install
