#include "sys/calls_win.hpp"

#include <algorithm>
#include <string>

#include "common/system_error.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/folder_walk_win.hpp"
#include "fs/path_forms.hpp"
#include "package/package_tree.hpp"

namespace tavo::package {
namespace {

EntryKind kind_of(DWORD attributes) noexcept {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return EntryKind::link;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryKind::folder;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return EntryKind::other;
  return EntryKind::file;
}

}  // namespace

std::vector<TreeEntry> list_tree(const fs::Path& root) {
  const fs::Path r = fs::long_path_form(root);
  std::wstring path = r.text();
  // Where an entry's relative path begins in its full path: after the root and one separator.
  const std::size_t start = path.size() + (!path.empty() && path.back() == L'\\' ? 0 : 1);
  std::vector<TreeEntry> entries;
  fs::win_walk::walk(
      path,
      [&entries, start](const std::wstring& entry, const WIN32_FIND_DATAW& data) {
        std::wstring relative = entry.substr(start);
        std::replace(relative.begin(), relative.end(), L'\\', L'/');
        const EntryKind kind = kind_of(data.dwFileAttributes);
        entries.push_back({std::move(relative), kind});
        return kind == EntryKind::folder;
      },
      [&r](DWORD error) { throw fs::FileSystemError("list", system_error_code(static_cast<int>(error)), r); },
      [&r](DWORD error) { throw fs::FileSystemError("list", system_error_code(static_cast<int>(error)), r); });
  return entries;
}

}  // namespace tavo::package
