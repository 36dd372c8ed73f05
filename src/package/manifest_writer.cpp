#include "package/manifest_writer.hpp"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "common/utf8.hpp"
#include "package/name_rules.hpp"
#include "package/hashing.hpp"
#include "package/package_error.hpp"
#include "package/package_layout.hpp"
#include "package/package_tree.hpp"
#include "package/replace_file.hpp"
#include "verify/manifest.hpp"

namespace tavo::package {
namespace {

constexpr std::size_t kLeastSoftwareFiles = 100;

struct ListedFile {
  std::wstring path;  // relative, "/" between components
  std::string name;   // its UTF-8 form, as the manifest line carries it
};

bool is_payload_file_name(std::wstring_view name) {
  return std::find(std::begin(kPayloadFileNames), std::end(kPayloadFileNames), name) != std::end(kPayloadFileNames);
}

// The files that the manifest will list; every entry that keeps it from being written becomes a problem.
std::vector<ListedFile> listed_files(const fs::Path& folder, ManifestFolder kind, ProblemList& problems) {
  std::vector<ListedFile> files;
  for (const TreeEntry& entry : list_tree(folder)) {
    if (entry.path == kManifestName) continue;
    const std::string label = utf8_from_wide(entry.path);
    problems.check(label, [&] {
      refuse_entry_kind(entry);
      if (kind == ManifestFolder::payload && !(entry.kind == EntryKind::file && is_payload_file_name(entry.path))) {
        throw PackageError("Not one of the seven payload files");
      }
      if (entry.kind != EntryKind::file) return;
      refuse_unlistable_path(entry.path);
      files.push_back({entry.path, utf8_name(entry.path)});
    });
  }
  return files;
}

}  // namespace

std::size_t write_manifest(const fs::Path& folder, ManifestFolder kind, Progress& progress, ProblemList& problems) {
  std::vector<ListedFile> files = listed_files(folder, kind, problems);
  if (kind == ManifestFolder::payload) {
    for (const wchar_t* name : kPayloadFileNames) {
      const bool present =
          std::any_of(files.begin(), files.end(), [name](const ListedFile& f) { return f.path == name; });
      if (!present) problems.add(utf8_name(name), "Payload file missing");
    }
    if (problems.empty()) problems.check("TavoDrv.dll", [&] { verify::check_patched_payload_dll(folder); });
  } else if (files.size() < kLeastSoftwareFiles) {
    problems.add(utf8_name(kManifestName), "Bundled software incomplete");
  }
  if (!problems.empty()) return 0;

  std::sort(files.begin(), files.end(), [](const ListedFile& a, const ListedFile& b) { return a.name < b.name; });
  std::string text;
  for (const ListedFile& file : files) {
    problems.check(file.name, [&] {
      text += digest_with_progress(fs::join(folder, file.path), progress);
      text += "  ";
      text += file.name;
      text += '\n';
    });
  }
  if (!problems.empty()) return 0;
  replace_file(fs::join(folder, kManifestName), text);
  return files.size();
}

}  // namespace tavo::package
