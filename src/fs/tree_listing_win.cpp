#include "sys/calls_win.hpp"

#include <algorithm>
#include <string>

#include "common/system_error.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/folder_walk_win.hpp"
#include "fs/path_forms.hpp"
#include "fs/tree_listing.hpp"

namespace tavo::fs {
std::vector<TreeEntry> list_tree(const Path& root) {
  const Path r = long_path_form(root);
  std::wstring path = r.text();
  // Where an entry's relative path begins in its full path: after the root and one separator.
  const std::size_t start = path.size() + (!path.empty() && path.back() == L'\\' ? 0 : 1);
  std::vector<TreeEntry> entries;
  win_walk::walk(
      path,
      [&entries, start](const std::wstring& entry, const WIN32_FIND_DATAW& data) {
        std::wstring relative = entry.substr(start);
        std::replace(relative.begin(), relative.end(), L'\\', L'/');
        const EntryKind kind = win_walk::entry_kind(data.dwFileAttributes, data.dwReserved0);
        entries.push_back({std::move(relative), kind});
        return kind == EntryKind::folder;
      },
      [&r](const std::error_code& error) { throw FileSystemError("list", error, r); },
      [&r](const std::error_code& error) { throw FileSystemError("list", error, r); });
  return entries;
}

}  // namespace tavo::fs
