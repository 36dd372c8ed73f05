#pragma once
// The files of a test package, written and read back whole, for the fault walks.

#include <filesystem>
#include <map>
#include <string>

#include "common/utf8.hpp"
#include "fs/path.hpp"
#include "reference_sha256.hpp"
#include "support/test_support.hpp"

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
          {"device_binding.exe", "MZ check"},
          {"TAVO-starten.exe", "MZ start"},
          {"TAVO-Treiber-installieren.exe", "MZ install"},
          {"TAVO-Treiber-entfernen.exe", "MZ remove"}};
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

}  // namespace tavo::test
