// A fault at every call of the package tool: `manifest`, `check` and (natively) `release` each run once for
// every call that touches the file system, with that call failing once or from then on. After each run: the
// package is as it was (a manifest is either the old one or the complete new one), nothing of the tool's own is
// left behind, an archive is either absent or complete, and a run that met a fault did not report success.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/utf8.hpp"
#include "driver_fixtures.hpp"
#include "fs/path_forms.hpp"
#include "package/package_tool.hpp"
#include "package_files.hpp"
#include "support/test_support.hpp"
#include "sys/door_control.hpp"
#include "tavo/build_config.hpp"

namespace tavo {
namespace {

using test::Files;
using test::files_below;

constexpr int kError = build_config::windows ? 5 : EIO;
// Calls whose failure a finished run may meet without harm: the close of a file only read, and the removal of
// the tool's own temporary file after a failure (a leftover "<manifest>.tmp-<pid>" is then allowed, as after a
// fault that lasts, which fails the removal too).
const std::set<std::string> kHarmless = {"close", "CloseHandle", "posix_fadvise" /* a hint */,
                                         "MoveFileExW" /* access denied at the rename into place is waited out */};
const std::set<std::string> kRemovals = {"unlink", "unlinkat", "DeleteFileW"};

struct ToolRun {
  int status;
  std::string out;
};

class PackageToolWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto original = verify::test::original_driver_dll_bytes();
    const auto patched = verify::test::patched_driver_dll_bytes();
    ASSERT_TRUE(original && patched);
    Files software = {{"App/Bin/Tavo.exe", "MZ editor"}, {"App/Bin/TavoDrv.dll", *original},
                      {"Tavo/Liesmich.txt", "TAVO 1.1\n"}, {"Presets/Werk/Bass.tvp", "bass"}};
    for (int i = 0; software.size() < 100; ++i) software["Tavo/Samples/teil-" + std::to_string(i) + ".dat"] = "x";
    const Files payload = test::payload_files(*patched);
    test::write_files_with_manifest(dir / L"Paket/Originalsoftware", software);
    test::write_files_with_manifest(dir / L"Paket/Dateien", payload);
    test::write_file(dir / L"Paket/Anleitung.txt", "Anleitung\r\n");
    sys::test::skip_pauses(true);  // the retries of a held rename without waiting
  }

  void TearDown() override {
    fault::arm({});
    sys::test::skip_pauses(false);
  }

  fs::Path root() const { return fs::absolute_normal_form(dir / L"Paket"); }

  ToolRun run(const std::vector<std::wstring>& arguments) {
    std::ostringstream out, err;
    const int status = package::run_package_tool(arguments, {out, err, false});
    return {status, out.str() + err.str()};
  }

  // Runs `arguments` once clean and then with each of its calls failing in turn (natively every call; under
  // Wine the first three of every kind and every fifth beyond them); `check(run, failed call)` after each.
  // `reset` puts back what a run may change. Returns the kinds of call that were failed.
  // Whether the fault of the run just made also failed the removal of a temporary file.
  bool removal_failed(const std::string& failed) const { return persistent_ || kRemovals.count(failed) > 0; }

  template <typename Reset, typename Check>
  std::set<std::string> walk(const std::vector<std::wstring>& arguments, Reset reset, Check check) {
    std::set<std::string> kinds;
    reset();
    fault::arm({});
    const ToolRun clean = run(arguments);
    EXPECT_EQ(clean.status, 0) << clean.out;
    const std::vector<std::string> calls = fault::recorded_calls();
    check(clean, std::string());
    constexpr long kStride = build_config::windows ? 5 : 1;
    std::map<std::string, int> seen;
    for (const bool persistent : {false, true}) {
      seen.clear();
      for (std::size_t i = 0; i <= calls.size(); ++i) {
        const long n = static_cast<long>(i) + 1;
        if (i < calls.size() && ++seen[calls[i]] > 3 && n % kStride != 0) continue;
        SCOPED_TRACE((persistent ? "persistent fault at call " : "fault at call ") + std::to_string(n));
        reset();
        persistent_ = persistent;
        fault::arm({n, persistent, kError});
        const ToolRun faulted = run(arguments);
        const bool fired = fault::fired();
        const std::string failed = fault::failed_call();
        fault::arm({});
        if (fired) kinds.insert(failed);
        EXPECT_TRUE(faulted.status == 0 || faulted.status == 1) << faulted.out;
        if (fired && faulted.status == 0) {
          EXPECT_TRUE(kHarmless.count(failed)) << "a failed " << failed << " went unnoticed: " << faulted.out;
        }
        check(faulted, fired ? failed : std::string());
        persistent_ = false;
      }
    }
    return kinds;
  }

  test::TempDir dir;
  bool persistent_ = false;
};

TEST_F(PackageToolWalk, ManifestIsOldOrCompleteAndNoTemporaryFileIsLeft) {
  const fs::Path software = fs::join(root(), L"Originalsoftware");
  const Files before = files_below(software);
  const std::string old_manifest = before.at("SHA256SUMS.txt");
  // The new manifest lists the same files in the tool's own order: the fixture's map order is byte order too.
  const std::string new_manifest = old_manifest;
  // Each run starts from the same folder: the old manifest, and no temporary file that an earlier run left.
  const auto reset = [&] {
    for (const auto& entry : std::filesystem::directory_iterator(test::std_path(software))) {
      if (entry.path().filename().u8string().rfind("SHA256SUMS.txt.tmp-", 0) == 0) std::filesystem::remove(entry);
    }
    test::write_file(fs::join(software, L"SHA256SUMS.txt"), "alt\n");
  };
  const std::set<std::string> kinds = walk({L"manifest", software.text()}, reset, [&](const ToolRun& r, const std::string& failed) {
    Files now = files_below(software);
    const std::string manifest = now["SHA256SUMS.txt"];
    EXPECT_TRUE(manifest == "alt\n" || manifest == new_manifest) << manifest;
    if (r.status == 0) EXPECT_EQ(manifest, new_manifest);
    for (auto it = now.begin(); it != now.end();) {
      const bool temporary = it->first.rfind("SHA256SUMS.txt.tmp-", 0) == 0;
      if (temporary) EXPECT_TRUE(removal_failed(failed)) << "temporary file left after a failed " << failed;
      it = temporary ? now.erase(it) : std::next(it);
    }
    now["SHA256SUMS.txt"] = old_manifest;
    EXPECT_EQ(now, before) << "the tool changed the software";
  });
  EXPECT_TRUE(kinds.count(build_config::windows ? "MoveFileExW" : "rename")) << "the rename into place was never failed";
}

TEST_F(PackageToolWalk, CheckNeverWritesAndNeverAcceptsAfterAFault) {
  const Files before = files_below(root());
  const std::set<std::string> kinds = walk({L"check", root().text()}, [] {}, [&](const ToolRun&, const std::string&) {
    EXPECT_EQ(files_below(root()), before) << "the check changed the package";
  });
  EXPECT_TRUE(kinds.count(build_config::windows ? "ReadFile" : "read"));
}

TEST_F(PackageToolWalk, ReleaseWritesTheWholeArchiveOrNone) {
  if constexpr (build_config::windows) GTEST_SKIP() << "the release archive is made by the Linux build only";
  const Files before = files_below(root());
  const fs::Path archive = dir / L"Ausgabe/TAVO-Setup-Paket.zip";
  test::make_directories(fs::parent(archive));
  test::write_file(dir / L"Paket/TAVO-Setup.exe", test::windows_program("setup", true));
  const Files package = files_below(root());
  std::string complete;
  const auto reset = [&] { std::filesystem::remove_all(test::std_path(fs::parent(archive))); test::make_directories(fs::parent(archive)); };
  walk({L"release", root().text(), archive.text()}, reset, [&](const ToolRun& r, const std::string& failed) {
    EXPECT_EQ(files_below(root()), package) << "the release changed the package";
    const Files written = files_below(fs::parent(archive));
    if (complete.empty() && r.status == 0) complete = written.at("TAVO-Setup-Paket.zip");
    for (const auto& [name, bytes] : written) {
      if (name == "TAVO-Setup-Paket.zip") {
        EXPECT_EQ(bytes.size(), complete.size()) << "an incomplete archive";
      } else {
        EXPECT_TRUE(removal_failed(failed)) << name << " left after a failed " << failed;
      }
    }
    if (r.status == 0) EXPECT_EQ(written.count("TAVO-Setup-Paket.zip"), 1u);
  });
  (void)before;
}

}  // namespace
}  // namespace tavo
