#include "package/package_rules.hpp"

#include <algorithm>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string_view>

#include "common/utf8.hpp"
#include "fs/input_file.hpp"
#include "package/case_folding.hpp"
#include "package/name_rules.hpp"
#include "package/package_error.hpp"
#include "verify/manifest_lines.hpp"
#include "verify/manifest_names.hpp"
#include "verify/package_layout.hpp"

namespace tavo::package {
namespace {

using verify::kManifestName;
using verify::kPayloadFolderName;
using verify::kSourceFolderName;

constexpr wchar_t kResultFileName[] = L"Setup-Ergebnis.txt";
constexpr wchar_t kStagingMark[] = L".vorbereitung-";
constexpr wchar_t kSetupProgramName[] = L"TAVO-Setup.exe";

std::wstring parent_of(std::wstring_view path) {
  const std::size_t slash = path.rfind(L'/');
  return slash == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, slash));
}

bool ends_with_exe(std::wstring_view name) {
  return name.size() >= 4 && windows_case_key(name.substr(name.size() - 4)) == L".EXE";
}

// A manifest name in the one form its file has in a listing: components between "/" or "\", without empty and
// "." components, compared as Windows compares names.
std::wstring listing_key(std::wstring_view name) {
  std::wstring joined;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of(L"/\\", start);
    if (end == std::wstring_view::npos) end = name.size();
    const std::wstring_view component = name.substr(start, end - start);
    if (!component.empty() && component != L".") {
      if (!joined.empty()) joined += L'/';
      joined += component;
    }
    start = end + 1;
  }
  return windows_case_key(joined);
}

// A file this check cannot read is a problem, unless the setup's own check has found one with it already.
void note_unreadable(const std::string& label, ProblemList& problems) {
  if (!problems.has_problem_of(label)) problems.add(label, "Cannot read input file");
}

// One line of a manifest as a listing: where it stands and the digest it gives.
struct ListedLine {
  std::uint32_t number;
  std::string digest;
};

// The names listed by the manifest of `folder` (named `folder_name` in the package), by key, with their first
// line; nothing without a readable manifest. Lines that the setup refuses are its own problems; a second line
// for one file is one here.
std::optional<std::map<std::wstring, ListedLine>> listed_names(const fs::Path& folder, const wchar_t* folder_name,
                                                              bool report_twice, ProblemList& problems) {
  std::map<std::wstring, ListedLine> listed;
  const fs::Path manifest_path = fs::join(folder, kManifestName);
  std::optional<fs::InputFile> manifest = fs::InputFile::open(manifest_path);
  if (!manifest) {
    note_unreadable(utf8_from_wide(folder_name) + "/" + utf8_from_wide(kManifestName), problems);
    return std::nullopt;
  }
  verify::ManifestLines lines(*manifest, manifest_path);
  std::string line;
  std::uint32_t number = 0;
  while (lines.next(line)) {
    ++number;
    if (lines.too_long() || !verify::has_line_layout(line)) continue;
    const std::string_view name = std::string_view(line).substr(verify::kNameStart);
    const auto [at, added] =
        listed.emplace(listing_key(verify::wide_from_utf8_file_name(name)), ListedLine{number, line.substr(0, verify::kDigestLength)});
    if (!added && report_twice) {
      problems.add(utf8_from_wide(folder_name) + "/" + std::string(name) + " (" + utf8_from_wide(kManifestName) +
                       " line " + std::to_string(number) + ")",
                   "Listed twice: also on line " + std::to_string(at->second.number));
    }
  }
  return listed;
}

bool is_payload_file_name(std::wstring_view name) {
  return std::find(std::begin(verify::kPayloadFileNames), std::end(verify::kPayloadFileNames), name) !=
         std::end(verify::kPayloadFileNames);
}

}  // namespace

bool is_left_out(const std::wstring& relative_path) {
  const std::wstring top = relative_path.substr(0, relative_path.find(L'/'));
  return relative_path == kResultFileName || top.find(kStagingMark) != std::wstring::npos;
}

void check_windows_names(const std::vector<fs::TreeEntry>& listed, const std::string& prefix, ProblemList& problems) {
  // In the order of their paths, so the report does not depend on the file system's order (a folder still
  // comes before its contents).
  std::vector<const fs::TreeEntry*> entries;
  for (const fs::TreeEntry& entry : listed) entries.push_back(&entry);
  std::sort(entries.begin(), entries.end(), [](const fs::TreeEntry* a, const fs::TreeEntry* b) { return a->path < b->path; });
  std::map<std::wstring, std::wstring> seen;  // key -> the first path with it
  std::set<std::wstring> colliding;           // entries whose contents are not reported again
  for (const fs::TreeEntry* listed_entry : entries) {
    const fs::TreeEntry& entry = *listed_entry;
    const std::string label = prefix + utf8_from_wide(entry.path);
    // An entry with a problem already (a linked tree the setup's check named, a name that cannot be listed)
    // is not reported twice.
    if (!problems.has_problem_of(label)) {
      problems.check(label, [&] {
        refuse_entry_kind(entry);
        refuse_windows_unfit_path(entry.path);
      });
    }
    std::wstring parent = parent_of(entry.path);
    bool inside_colliding = false;
    for (; !parent.empty(); parent = parent_of(parent)) {
      if (colliding.count(parent) != 0) inside_colliding = true;
    }
    if (inside_colliding) continue;
    const auto [first, added] = seen.emplace(windows_case_key(entry.path), entry.path);
    if (added) continue;
    colliding.insert(entry.path);
    problems.add(label, "Windows cannot tell this name from " + prefix + utf8_from_wide(first->second) +
                            " (names differ only in letter case)");
  }
}

void check_program(const fs::Path& file, const std::string& label, ProgramKind kind, ProblemList& problems) {
  problems.check(label, [&] {
    std::optional<fs::InputFile> input = fs::InputFile::open(file);
    if (!input) return note_unreadable(label, problems);
    std::string head(kProgramHeaderBytes, '\0');
    std::size_t have = 0;
    while (have < head.size()) {
      const std::optional<std::size_t> got =
          input->read(reinterpret_cast<unsigned char*>(head.data()) + have, head.size() - have);
      if (!got) return note_unreadable(label, problems);
      if (*got == 0) break;
      have += *got;
    }
    head.resize(have);
    const std::string problem = program_header_problem(head, kind);
    if (problem.empty()) return;
    throw PackageError(kind == ProgramKind::windowed ? "Not a 64-bit Windows GUI program"
                                                     : "Not a 64-bit Windows program",
                       problem);
  });
}

void check_payload_programs(const fs::Path& payload_dir, const std::string& prefix, ProblemList& problems) {
  for (const wchar_t* name : verify::kPayloadFileNames) {
    if (!ends_with_exe(name)) continue;
    check_program(fs::join(payload_dir, name), prefix + utf8_from_wide(name), ProgramKind::any, problems);
  }
}

PackageEntries check_package_rules(const fs::Path& root, ProblemList& problems) {
  PackageEntries result;
  std::vector<fs::TreeEntry>& entries = result.archived;
  problems.check(".", [&] { entries = fs::list_tree(root); });
  for (const fs::TreeEntry& entry : entries) {
    if (is_left_out(entry.path) && entry.path.find(L'/') == std::wstring::npos) result.left_out.push_back(entry.path);
  }
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [](const fs::TreeEntry& entry) { return is_left_out(entry.path); }),
                entries.end());
  check_windows_names(entries, "", problems);

  const std::wstring source_prefix = std::wstring(kSourceFolderName) + L"/";
  const std::wstring payload_prefix = std::wstring(kPayloadFolderName) + L"/";
  const std::optional<std::map<std::wstring, ListedLine>> listed =
      listed_names(fs::join(root, kSourceFolderName), kSourceFolderName, true, problems);
  // A payload line twice makes the setup's check count eight lines: its own problem.
  const std::optional<std::map<std::wstring, ListedLine>> payload_listed =
      listed_names(fs::join(root, kPayloadFolderName), kPayloadFolderName, false, problems);
  for (const fs::TreeEntry& entry : entries) {
    const std::string label = utf8_from_wide(entry.path);
    if (entry.kind == fs::EntryKind::file && entry.path.rfind(source_prefix, 0) == 0 && listed) {
      const std::wstring inside = entry.path.substr(source_prefix.size());
      const auto line = listed->find(listing_key(inside));
      if (line != listed->end()) {
        result.digests.emplace(entry.path, line->second.digest);
      } else if (inside != kManifestName) {
        problems.add(label, "Not listed in " + utf8_from_wide(kManifestName));
      }
    }
    if (entry.path.rfind(payload_prefix, 0) == 0) {
      const std::wstring inside = entry.path.substr(payload_prefix.size());
      if (inside != kManifestName && !(entry.kind == fs::EntryKind::file && is_payload_file_name(inside))) {
        problems.add(label, "Not one of the seven payload files");
      }
      if (payload_listed) {
        const auto line = payload_listed->find(listing_key(inside));
        if (line != payload_listed->end()) result.digests.emplace(entry.path, line->second.digest);
      }
    }
  }
  check_payload_programs(fs::join(root, kPayloadFolderName), utf8_from_wide(payload_prefix), problems);
  const bool has_setup_program = std::any_of(entries.begin(), entries.end(), [](const fs::TreeEntry& entry) {
    return entry.kind == fs::EntryKind::file && entry.path == kSetupProgramName;
  });
  if (has_setup_program) {
    check_program(fs::join(root, kSetupProgramName), utf8_from_wide(kSetupProgramName), ProgramKind::windowed, problems);
  }
  return result;
}

}  // namespace tavo::package
