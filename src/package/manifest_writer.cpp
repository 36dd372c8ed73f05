#include "package/manifest_writer.hpp"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "common/utf8.hpp"
#include "fs/temporary_file.hpp"
#include "fs/tree_listing.hpp"
#include "package/name_rules.hpp"
#include "package/package_rules.hpp"
#include "package/package_error.hpp"
#include "verify/line_reasons.hpp"
#include "verify/manifest.hpp"
#include "verify/package_layout.hpp"
#include "verify/sha256.hpp"

namespace tavo::package {
namespace {

using verify::kManifestName;
using verify::kPayloadFileNames;

struct ListedFile {
  std::wstring path;  // relative, "/" between components
  std::string name;   // its UTF-8 form, as the manifest line carries it
};

bool is_payload_file_name(std::wstring_view name) {
  return std::find(std::begin(kPayloadFileNames), std::end(kPayloadFileNames), name) != std::end(kPayloadFileNames);
}

// The files that the manifest will list; every entry that keeps it from being written becomes a problem.
std::vector<ListedFile> listed_files(const std::vector<fs::TreeEntry>& entries, ManifestFolder kind,
                                     ProblemList& problems) {
  std::vector<ListedFile> files;
  for (const fs::TreeEntry& entry : entries) {
    if (entry.path == kManifestName) continue;
    const std::string label = utf8_from_wide(entry.path);
    problems.check(label, [&] {
      refuse_entry_kind(entry);
      if (kind == ManifestFolder::payload && !(entry.kind == fs::EntryKind::file && is_payload_file_name(entry.path))) {
        throw PackageError("Not one of the seven payload files");
      }
      if (entry.kind != fs::EntryKind::file) return;
      refuse_unlistable_path(entry.path);
      files.push_back({entry.path, utf8_name(entry.path)});
    });
  }
  return files;
}

}  // namespace

std::size_t write_manifest(const fs::Path& folder, ManifestFolder kind, Progress& progress, ProblemList& problems) {
  const std::vector<fs::TreeEntry> entries = fs::list_tree(folder);
  std::vector<ListedFile> files = listed_files(entries, kind, problems);
  // A package made on Linux is unpacked on Windows: every name must be one Windows holds and tells apart.
  check_windows_names(entries, "", problems);
  if (kind == ManifestFolder::payload) {
    for (const wchar_t* name : kPayloadFileNames) {
      const bool present =
          std::any_of(files.begin(), files.end(), [name](const ListedFile& f) { return f.path == name; });
      if (!present) problems.add(utf8_name(name), "Payload file missing");
    }
    check_payload_programs(folder, "", problems);
    if (problems.empty()) problems.check("TavoDrv.dll", [&] { verify::check_patched_payload_dll(folder); });
  } else if (files.size() < verify::kLeastSoftwareFiles) {
    problems.add(utf8_name(kManifestName), "Bundled software incomplete: " +
                                               verify::count_reason(files.size(), verify::kLeastSoftwareFiles, true));
  }
  if (!problems.empty()) return 0;

  std::sort(files.begin(), files.end(), [](const ListedFile& a, const ListedFile& b) { return a.name < b.name; });
  std::string text;
  for (const ListedFile& file : files) {
    problems.check(file.name, [&] {
      text += verify::file_sha256(fs::join(folder, file.path));  // its bytes reach `progress` as it hashes
      progress.hashed_file();
      text += "  ";
      text += file.name;
      text += '\n';
    });
  }
  if (!problems.empty()) return 0;
  fs::replace_file(fs::join(folder, kManifestName), text);
  return files.size();
}

}  // namespace tavo::package
