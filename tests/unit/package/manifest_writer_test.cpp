#include "package/manifest_writer.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/utf8.hpp"
#include "fs/file_operations.hpp"
#include "fs/path_forms.hpp"
#include "manifest_cases.hpp"
#include "support/test_support.hpp"
#include "verify/manifest.hpp"
#include "verify/package_layout.hpp"
#include "verify/sha256.hpp"

namespace tavo::package {
namespace {

using tavo::test::TempDir;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Writes a file at a relative path of any length below dir.
void put(const fs::Path& dir, const std::wstring& relative, const std::string& bytes) {
  const fs::Path file = fs::long_path_form(fs::join(dir, relative));
  fs::create_directories(fs::parent(file));
  tavo::test::write_file(file, bytes);
}

TEST(ManifestWriter, SoftwareManifestIsAcceptedByTheSetupsVerification) {
  TempDir dir;
  test::make_software_folder(dir.path(), 100);
  std::wstring deep;
  for (int i = 0; i < 7; ++i) deep += L"ein-recht-langer-ordnername-fuer-den-test-" + std::to_wstring(i) + L"/";
  const std::vector<std::wstring> special = {
      L"Presets/Werk/Gr\u00fc\u00dfe/Fl\u00e4che 01.tvp",
      L"\u65e5\u672c\u8a9e/\u30c7\u30fc\u30bf.bin",
      L"mit Leerzeichen/a  b.txt",
      L" beginnt mit Leerzeichen.txt",
      L"Tavo/Sub/SHA256SUMS.txt",  // only the folder's own manifest is left out
      deep + L"datei.txt",
  };
  for (const std::wstring& name : special) put(dir.path(), name, "besonders: " + utf8_from_wide(name));
  tavo::test::make_directories(dir / L"leerer Ordner");
  ASSERT_GT(fs::join(dir.path(), deep).text().size(), 300u);

  EXPECT_EQ(test::manifest_problems(dir.path(), ManifestFolder::software), "");
  EXPECT_NO_THROW(verify::verify_software_manifest(dir.path()));

  const std::vector<std::string> lines = lines_of(tavo::test::read_file(dir / verify::kManifestName));
  ASSERT_EQ(lines.size(), 100u + special.size());
  std::vector<std::string> names;
  for (const std::string& line : lines) {
    ASSERT_GT(line.size(), 66u);
    EXPECT_EQ(line.substr(64, 2), "  ");
    names.push_back(line.substr(66));
    EXPECT_EQ(line.substr(0, 64), verify::file_sha256(fs::join(dir.path(), wide_from_utf8(names.back()))));
  }
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));  // std::string compares its bytes unsigned
  for (const std::wstring& name : special) {
    EXPECT_EQ(std::count(names.begin(), names.end(), utf8_from_wide(name)), 1) << utf8_from_wide(name);
  }
}

TEST(ManifestWriter, PayloadManifestIsAcceptedByTheSetupsVerification) {
  const std::optional<std::string> dll = test::patched_driver_dll();
  if (!dll) GTEST_SKIP() << "this build does not know the fixture driver DLL's digest";
  TempDir dir;
  test::make_payload_folder(dir.path(), *dll);
  tavo::test::write_file(dir / verify::kManifestName, "old manifest\n");

  EXPECT_EQ(test::manifest_problems(dir.path(), ManifestFolder::payload), "");
  EXPECT_NO_THROW(verify::verify_payload_manifest(dir.path()));
  const std::vector<std::string> lines = lines_of(tavo::test::read_file(dir / verify::kManifestName));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0].substr(66), "TAVO-Treiber-entfernen.exe");  // upper case sorts before lower case
  EXPECT_EQ(lines[6].substr(66), "tusbshim.dll");
}

TEST(ManifestWriter, RefusesWhatTheSetupWouldRefuse) {
  using test::RefusalCase;
  const RefusalCase cases[] = {
      {"a file that is not a payload file", ManifestFolder::payload,
       [](const fs::Path& dir) { tavo::test::write_file(fs::join(dir, L"liesmich.txt"), "x"); },
       "liesmich.txt: Not one of the seven payload files\n"},
      {"a folder in the payload", ManifestFolder::payload,
       [](const fs::Path& dir) { tavo::test::write_file(fs::join(dir, L"Treiber/device_binding.exe"), "x"); },
       "Treiber: Not one of the seven payload files\nTreiber/device_binding.exe: Not one of the seven payload files\n"},
      {"a missing payload file", ManifestFolder::payload,
       [](const fs::Path& dir) { std::filesystem::remove(tavo::test::std_path(fs::join(dir, L"tusbshim.dll"))); },
       "tusbshim.dll: Payload file missing\n"},
      {"a driver DLL that is not the patched build", ManifestFolder::payload,
       [](const fs::Path& dir) { tavo::test::write_file(fs::join(dir, L"TavoDrv.dll"), "MZ other build"); },
       "TavoDrv.dll: Wrong patched DLL\n"},
      {"fewer than 100 files", ManifestFolder::software,
       [](const fs::Path& dir) { std::filesystem::remove(tavo::test::std_path(fs::join(dir, L"Tavo/teil-7.dat"))); },
       "SHA256SUMS.txt: Bundled software incomplete: 99 files listed, at least 100 needed\n"},
  };
  for (const RefusalCase& refusal : cases) test::expect_refusal(refusal);
}

}  // namespace
}  // namespace tavo::package
