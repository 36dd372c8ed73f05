#include "manifest_cases.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "package/problems.hpp"
#include "package/progress.hpp"
#include "support/test_support.hpp"
#include "support/windows_program.hpp"
#include "verify/known_digests.hpp"
#include "verify/package_layout.hpp"
#include "verify/sha256.hpp"

namespace tavo::package::test {
namespace {

std::set<std::filesystem::path> entries_below(const fs::Path& dir) {
  std::set<std::filesystem::path> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(tavo::test::std_path(dir))) {
    entries.insert(entry.path());
  }
  return entries;
}

}  // namespace

std::optional<std::string> patched_driver_dll() {
  const fs::Path fixture = tavo::test::from_std(TAVO_TEST_FIXTURES_DIR "/driver/TavoDrv-patched.dll");
  if (verify::file_sha256(fixture) != verify::patched_driver_dll_sha256) return std::nullopt;
  return tavo::test::read_file(fixture);
}

void make_software_folder(const fs::Path& dir, int count) {
  for (int i = 0; i < count; ++i) {
    tavo::test::write_file(fs::join(dir, L"Tavo/teil-" + std::to_wstring(i) + L".dat"), "inhalt " + std::to_string(i));
  }
}

void make_payload_folder(const fs::Path& dir, const std::string& patched_dll) {
  // The seven names as the package's description gives them, not as the code lists them.
  for (const wchar_t* name : {L"TavoDrv.dll", L"tusbshim.dll", L"tset-template.ini", L"device_binding.exe",
                              L"TAVO-starten.exe", L"TAVO-Treiber-installieren.exe", L"TAVO-Treiber-entfernen.exe"}) {
    tavo::test::write_file(fs::join(dir, name), std::wstring_view(name) == L"TavoDrv.dll" ? patched_dll : tavo::test::windows_program("tool"));
  }
}

std::string manifest_problems(const fs::Path& dir, ManifestFolder kind) {
  std::ostringstream progress_text;
  Progress progress(progress_text, false);
  ProblemList problems;
  write_manifest(dir, kind, progress, problems);
  std::string text;
  for (const Problem& problem : problems.all()) text += problem.file + ": " + problem.message + "\n";
  return text;
}

void expect_refusal(const RefusalCase& refusal) {
  SCOPED_TRACE(refusal.title);
  tavo::test::TempDir dir;
  if (refusal.kind == ManifestFolder::payload) {
    const std::optional<std::string> dll = patched_driver_dll();
    if (!dll) GTEST_SKIP() << "this build does not know the fixture driver DLL's digest";
    make_payload_folder(dir.path(), *dll);
  } else {
    make_software_folder(dir.path(), 100);
  }
  const fs::Path manifest = dir / verify::kManifestName;
  const std::string old_manifest = "old manifest\n";
  tavo::test::write_file(manifest, old_manifest);
  refusal.change(dir.path());
  const std::set<std::filesystem::path> before = entries_below(dir.path());

  EXPECT_EQ(manifest_problems(dir.path(), refusal.kind), refusal.expected);
  EXPECT_EQ(tavo::test::read_file(manifest), old_manifest);
  EXPECT_EQ(entries_below(dir.path()), before);
}

}  // namespace tavo::package::test
