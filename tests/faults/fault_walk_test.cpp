// A fault at every call: a whole installation runs once for every call that touches the file system, with that
// call failing (once, or from then on), and after each run the promises are checked: the package unchanged, no
// target unless complete, nothing beside it but staging folders, and a clean rerun completes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <vector>
#include <string>

#include "sys/door_control.hpp"
#include "common/utf8.hpp"
#include "driver_fixtures.hpp"
#include "fs/path_forms.hpp"
#include "install/installation_marker.hpp"
#include "install/transaction.hpp"
#include "package_files.hpp"
#include "support/test_support.hpp"
#include "tavo/build_config.hpp"

namespace tavo {
namespace {

using test::Files;
using test::files_below;

// The planned failure: an I/O error natively; access denied on Windows, its most common refusal (and one that
// the final rename retries).
constexpr int kError = build_config::windows ? 5 : EIO;

// The calls whose failure a run may meet and still complete, each with why that is right. Any other call that
// fails without failing the run is a fault the program swallowed.
const std::map<std::string, std::string> kSwallowed = {
    {"posix_fadvise", "a hint to read ahead: the file is read all the same"},
    {"sync_file_range", "a hint to start a copy's writeback early: the tree's flush makes it durable all the same"},
    {"close", "the close of a file that was only read"},
    {"CloseHandle", "the close of a file or listing that was only read"},
    {"stat", "the look whether a folder is already there before it is created, and the search of the target's "
             "nearest existing folder: an unreadable folder there is no way into the original software"},
    {"open", "the same search, and the best-effort flush of the target's parent after the rename"},
    {"openat", "the same search walking up from the target"},
    {"fstat", "the same search walking up from the target"},
    {"fdopendir", "the search for the target's folder among the folders of the original software: a folder "
                  "that cannot be listed is no way in"},
    {"readdir", "the same search"},
    {"fstatat", "the same search"},
    {"fsync", "the best-effort flush of the target's parent folder after the rename: the target is complete"},
    {"CreateFileW", "the search for the target below the original software: a folder it cannot open is no way in"},
    {"GetFileInformationByHandle", "the same search"},
    {"FindFirstFileExW", "the same search: an unlistable folder cannot receive the installation through it"},
    {"FindNextFileW", "the same search"},
    {"GetFileAttributesW", "the look whether a folder is already there before it is created"},
    {"GetFileInformationByHandleEx", "the 128-bit file id of an identity: refused, the 64-bit index is read instead, "
                                     "as on a file system that has no 128-bit ids"},
    {"MoveFileExW", "access denied at the final rename is retried: a scanner holds the folder"},
};

class FaultWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::write_test_package(dir / L"Paket", payload)) {
      GTEST_SKIP() << "the build was configured without the fixture driver DLL digests";
    }
    package = files_below(dir / L"Paket");
    sys::test::skip_pauses(true);  // the final rename's retries without waiting
  }
  void TearDown() override { sys::test::skip_pauses(false); }

  fs::Path exe_dir() const { return fs::absolute_normal_form(dir / L"Paket"); }
  fs::Path source_dir() const { return fs::absolute_normal_form(dir / L"Paket/Originalsoftware"); }
  fs::Path payload_dir() const { return fs::absolute_normal_form(dir / L"Paket/Dateien"); }

  // The message of a failed installation; empty when it completed.
  std::string install(const fs::Path& target) {
    return test::message_raised<std::exception>(
        [&] { install::prepare_installation(exe_dir(), source_dir(), target); });
  }

  // A target that is there is complete and right.
  void expect_complete(const fs::Path& target) {
    const Files installed = files_below(target);
    EXPECT_EQ(installed.count("TAVO-x64-installation.txt"), 1u);
    EXPECT_TRUE(install::is_current_installation(target, payload_dir()));
    EXPECT_EQ(installed.at("App/Bin/tusbshim.dll"), payload.at("tusbshim.dll"));
    EXPECT_EQ(installed.at("Treiber/device_binding.exe"), payload.at("device_binding.exe"));
    EXPECT_EQ(installed.at("Tavo/Samples/teil-0.dat"), package.at("Originalsoftware/Tavo/Samples/teil-0.dat"));
    // The software (its driver DLL and settings replaced), five more files from the payload, the guide, the marker.
    EXPECT_EQ(installed.size(), (package.size() - 2 /* manifests */ - 7 /* payload */ - 1 /* guide */) + 5 + 1 + 1);
  }

  // Beside the target only the target and staging folders; the target complete if it is there.
  void expect_promises_kept(const fs::Path& target) {
    EXPECT_EQ(files_below(dir / L"Paket"), package) << "the package changed";
    const std::filesystem::path parent = test::std_path(fs::parent(target));
    if (std::filesystem::exists(parent)) {
      for (const auto& entry : std::filesystem::directory_iterator(parent)) {
        const std::string name = entry.path().filename().u8string();
        EXPECT_TRUE(name == "Ziel" || name.rfind("Ziel.vorbereitung-", 0) == 0) << name;
      }
    }
    if (test::exists(target)) expect_complete(target);
  }

  // The calls to fail: natively every call of a clean run. Under Wine, where a run costs a hundred times more,
  // the first three calls of every kind and about 300 calls spread evenly beyond them, so that every kind of
  // call and every step of the installation is still met.
  static std::vector<long> fault_points(const std::vector<std::string>& clean_run, bool persistent) {
    const long kStride =
        build_config::windows ? std::max(5L, static_cast<long>(clean_run.size()) / 300) : 1;
    std::map<std::string, int> seen;
    std::vector<long> points;
    for (std::size_t i = 0; i < clean_run.size(); ++i) {
      const long n = static_cast<long>(i) + 1;
      if (++seen[clean_run[i]] <= 3 || n % kStride == (persistent ? 2 % kStride : 0)) points.push_back(n);
    }
    points.push_back(static_cast<long>(clean_run.size()) + 1);  // one past the last: the run must meet no fault
    return points;
  }

  // Fails each of the calls in turn; returns how many were failed.
  long walk(bool persistent, std::set<std::string>& calls_seen, std::set<std::string>& harmless) {
    // The clean run's target lies as deep below an existing folder as the faulted runs' targets.
    test::make_directories(dir / L"Ziele");
    fault::arm({});
    EXPECT_EQ(install(dir / (L"Ziele/sauber-" + std::to_wstring(persistent) + L"/Ziel")), "");
    const std::vector<std::string> clean_run = fault::recorded_calls();
    std::cout << "a clean installation makes " << clean_run.size() << " calls\n";
    const std::vector<long> points = fault_points(clean_run, persistent);
    for (const long n : points) {
      SCOPED_TRACE((persistent ? "persistent fault at call " : "fault at call ") + std::to_string(n));
      const fs::Path target = dir / (L"Ziele/" + std::to_wstring(persistent) + L"-" + std::to_wstring(n) + L"/Ziel");
      fault::arm({n, persistent, kError});
      const std::string message = install(target);
      const bool fired = fault::fired();
      const std::string failed = fault::failed_call();
      for (const std::string& call : fault::recorded_calls()) calls_seen.insert(call);
      fault::arm({});
      if (!fired) {
        EXPECT_EQ(message, "");
        EXPECT_EQ(n, points.back()) << "a call that a clean run makes was not met";
        expect_complete(target);
        return static_cast<long>(points.size()) - 1;
      }
      if (message.empty()) {
        harmless.insert(failed);
        EXPECT_EQ(kSwallowed.count(failed), 1u) << "a failed " << failed << " went unnoticed";
      }
      expect_promises_kept(target);
      EXPECT_EQ(install(target), "") << "a clean rerun after a fault at " << failed;
      expect_complete(target);
      if (HasFailure()) return n;
      std::filesystem::remove_all(test::std_path(fs::parent(target)));  // in memory: keep only what is checked
    }
    return 0;
  }

  test::TempDir dir;
  Files payload;
  Files package;
};

TEST_F(FaultWalk, EveryCallFailingOnceOrForGoodKeepsThePromises) {
  for (const bool persistent : {false, true}) {
    std::set<std::string> calls_seen;
    std::set<std::string> harmless;
    const long points = walk(persistent, calls_seen, harmless);
    std::cout << (persistent ? "persistent" : "transient") << " faults: " << points << " calls failed in turn, kinds:";
    for (const std::string& call : calls_seen) std::cout << ' ' << call;
    std::cout << "; run completed despite a fault in:";
    for (const std::string& call : harmless) std::cout << ' ' << call;
    std::cout << '\n';
    EXPECT_GT(points, build_config::windows ? 200 : 1000);
  }
}

TEST_F(FaultWalk, AFailedFlushNeverPublishesTheTarget) {
  // On Windows the data flush of a file and the full flush; natively the one syncfs.
  const std::vector<std::string> flushes =
      build_config::windows ? std::vector<std::string>{"NtFlushBuffersFileEx", "FlushFileBuffers"}
                            : std::vector<std::string>{"syncfs"};
  for (const std::string& flush : flushes) {
    SCOPED_TRACE(flush);
    const fs::Path target = dir / (L"Ziele-" + wide_from_utf8(flush) + L"/Ziel");
    fault::arm({});
    sys::test::script(flush, {build_config::windows ? 1117 /* ERROR_IO_DEVICE */ : EIO});
    const std::string message = install(target);
    sys::test::clear_hooks();
    EXPECT_EQ(sys::test::count_of(flush), 1);
    EXPECT_NE(message, "");
    EXPECT_FALSE(test::exists(target)) << "published although its files may not be on the disk";
    // No rename at all after the failed flush (files replaced in the staging folder are renamed before it).
    const std::vector<std::string> calls = fault::recorded_calls();
    const auto failed = std::find(calls.begin(), calls.end(), flush);
    ASSERT_NE(failed, calls.end());
    EXPECT_EQ(std::find(failed, calls.end(), build_config::windows ? "MoveFileExW" : "renameat2"), calls.end());
  }
}

TEST_F(FaultWalk, EveryFlushComesBeforeTheRenameThatPublishes) {
  fault::arm({});
  EXPECT_EQ(install(dir / L"Ziele/Ziel"), "");
  const std::vector<std::string> calls = fault::recorded_calls();
  const std::string flush = build_config::windows ? "FlushFileBuffers" : "syncfs";
  const std::string rename = build_config::windows ? "MoveFileExW" : "renameat2";
  // The last rename publishes: files replaced in the staging folder are renamed into place before it.
  const auto last = std::find(calls.rbegin(), calls.rend(), rename);
  ASSERT_NE(last, calls.rend());
  const auto publish = std::prev(last.base());
  EXPECT_EQ(std::find(publish, calls.end(), flush), calls.end()) << "a flush after the rename";
  // Natively one syncfs covers the staging tree. On Windows every file that the setup wrote has its data
  // flushed, then one FlushFileBuffers flushes the storage's cache for all of them; where ntdll lacks the data
  // flush (Wine), each one falls back to a FlushFileBuffers right after it.
  long full_flushes = 0;
  for (auto call = calls.begin(); call != publish; ++call) {
    if (*call == flush && (call == calls.begin() || *std::prev(call) != "NtFlushBuffersFileEx")) ++full_flushes;
  }
  EXPECT_EQ(full_flushes, 1);
  if (build_config::windows) {
    EXPECT_EQ(std::count(calls.begin(), publish, "NtFlushBuffersFileEx"),
              static_cast<long>(files_below(dir / L"Ziele/Ziel").size()));
    const auto last_full = std::find(std::make_reverse_iterator(publish), calls.rend(), flush);
    EXPECT_EQ(std::find(last_full.base(), publish, "NtFlushBuffersFileEx"), publish) << "a data flush after the full flush";
  }
  // Everything that writes comes before the flushes.
  const auto first_flush = std::find(calls.begin(), publish, build_config::windows ? "NtFlushBuffersFileEx" : flush);
  for (const char* writes : {"openat", "CreateDirectoryW", "WriteFile", "write", "WritePrivateProfileStringW", "pwrite"}) {
    EXPECT_EQ(std::find(first_flush, calls.end(), writes), calls.end()) << writes << " after the first flush";
  }
}

}  // namespace
}  // namespace tavo
