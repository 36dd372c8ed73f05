#include "package/release.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "common/utf8.hpp"
#include "fs/file_status.hpp"
#include "fs/path_forms.hpp"
#include "fs/tree_listing.hpp"
#include "package/name_rules.hpp"
#include "package/package_check.hpp"
#include "package/package_error.hpp"
#include "package/zip_archive.hpp"

namespace tavo::package {
namespace {

// The setup program, at the package's root in a release.
constexpr wchar_t kSetupProgramName[] = L"TAVO-Setup.exe";

}  // namespace

Released release_package(const fs::Path& root, const fs::Path& archive, Progress& progress, ProblemList& problems) {
  // The archive would end up in the next release of the same folder.
  if (fs::is_within(fs::absolute_normal_form(archive), fs::absolute_normal_form(root))) {
    throw PackageError("The archive must not lie inside the package folder");
  }
  const PackageEntries checked = check_package(root, progress, problems);
  const std::vector<fs::TreeEntry>& entries = checked.archived;
  for (const fs::TreeEntry& entry : entries) {
    problems.check(utf8_from_wide(entry.path), [&] { utf8_name(entry.path); });  // archive names are UTF-8
  }
  const bool has_setup_program = std::any_of(entries.begin(), entries.end(), [](const fs::TreeEntry& entry) {
    return entry.kind == fs::EntryKind::file && entry.path == kSetupProgramName;
  });
  if (!has_setup_program) problems.add(utf8_from_wide(kSetupProgramName), "Setup program missing");
  if (!problems.empty()) return {};

  write_zip_archive(root, entries, archive);
  Released released;
  released.files = static_cast<std::size_t>(
      std::count_if(entries.begin(), entries.end(), [](const fs::TreeEntry& e) { return e.kind == fs::EntryKind::file; }));
  released.left_out = checked.left_out;
  return released;
}

}  // namespace tavo::package
