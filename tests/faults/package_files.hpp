#pragma once
// The files of a test package, written and read back whole, for the fault walks.

#include <filesystem>
#include <map>
#include <string>

#include "common/utf8.hpp"
#include "fs/path.hpp"
#include "reference_sha256.hpp"
#include "driver_fixtures.hpp"
#include "support/test_support.hpp"
#include "support/windows_program.hpp"

namespace tavo::test {

using Files = std::map<std::string, std::string>;  // path below a folder (UTF-8, "/") -> bytes

// Every file below `root`.
inline Files files_below(const fs::Path& root) {
  Files files;
  const std::filesystem::path base = std_path(root);
  if (!std::filesystem::exists(base)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(base)) {
    if (!entry.is_regular_file()) continue;
    files[entry.path().lexically_relative(base).generic_u8string()] = read_file(from_std(entry.path()));
  }
  return files;
}

// The seven payload files, with the patched driver DLL's bytes.
inline Files payload_files(const std::string& patched_dll) {
  return {{"TavoDrv.dll", patched_dll},
          {"tusbshim.dll", "MZ shim"},
          {"tset-template.ini", "[StaticPath]\r\nTavo=C:/old/\r\n"},
          {"device_binding.exe", windows_program("check")},
          {"TAVO-starten.exe", windows_program("start", true)},
          {"TAVO-Treiber-installieren.exe", windows_program("install")},
          {"TAVO-Treiber-entfernen.exe", windows_program("remove")}};
}

// Writes the files below `folder` and their "SHA256SUMS.txt" as the setup reads it.
inline void write_files_with_manifest(const fs::Path& folder, const Files& files) {
  std::string manifest;
  for (const auto& [rel, bytes] : files) {
    write_file(fs::join(folder, wide_from_utf8(rel)), bytes);
    manifest += verify::test::reference_sha256(bytes) + "  " + rel + "\n";
  }
  write_file(fs::join(folder, L"SHA256SUMS.txt"), manifest);
}

// A whole package below `root` ("Originalsoftware" with 100 files in "App", "Tavo" and "Presets", "Dateien"
// with the seven payload files, both manifests, "Anleitung.txt"); its payload into `payload`. False when the
// build has no fixture driver DLLs to make it of.
inline bool write_test_package(const fs::Path& root, Files& payload) {
  const auto original = verify::test::original_driver_dll_bytes();
  const auto patched = verify::test::patched_driver_dll_bytes();
  if (!original || !patched) return false;
  Files software = {{"App/Bin/Tavo.exe", "MZ editor"}, {"App/Bin/TavoDrv.dll", *original},
                    {"App/Bin/tset.ini", "[Old]\r\n"},    {"Tavo/Liesmich.txt", "TAVO 1.1\n"},
                    {"Presets/Werk/Bass.tvp", "bass"}};
  for (int i = 0; software.size() < 100; ++i) {
    software["Tavo/Samples/teil-" + std::to_string(i) + ".dat"] = std::string(100 + i, static_cast<char>('a' + i % 26));
  }
  payload = payload_files(*patched);
  write_files_with_manifest(fs::join(root, L"Originalsoftware"), software);
  write_files_with_manifest(fs::join(root, L"Dateien"), payload);
  write_file(fs::join(root, L"Anleitung.txt"), "Anleitung\r\n");
  return true;
}

}  // namespace tavo::test
