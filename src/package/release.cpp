#include "package/release.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "common/utf8.hpp"
#include "fs/containment.hpp"
#include "fs/file_status.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/held_folder.hpp"
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
  // The archive would end up in the next release of the same folder, by whatever way its path leads there.
  if (fs::is_within(fs::absolute_normal_form(archive), fs::absolute_normal_form(root))) {
    throw PackageError("The archive must not lie inside the package folder");
  }
  fs::HeldFolder held_root;
  if (const std::error_code error = fs::HeldFolder::open(root, held_root)) {
    throw fs::FileSystemError("open", error, root);
  }
  const fs::Path archive_dir = fs::parent(fs::absolute_normal_form(archive));
  fs::HeldFolder archive_folder;
  if (const std::error_code error = fs::HeldFolder::open(archive_dir, archive_folder)) {
    throw fs::FileSystemError("open", error, archive_dir);
  }
  bool inside = false;
  if (const std::error_code error = fs::lies_within_on_disk(archive_folder, held_root, inside)) {
    throw fs::FileSystemError("open", error, archive_dir, root);
  }
  if (inside) throw PackageError("The archive must not lie inside the package folder");
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

  write_zip_archive(held_root, entries, checked.digests, archive);
  Released released;
  released.files = static_cast<std::size_t>(
      std::count_if(entries.begin(), entries.end(), [](const fs::TreeEntry& e) { return e.kind == fs::EntryKind::file; }));
  released.left_out = checked.left_out;
  return released;
}

}  // namespace tavo::package
