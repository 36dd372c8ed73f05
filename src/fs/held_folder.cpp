#include "fs/held_folder.hpp"

#include "common/system_error.hpp"

namespace tavo::fs {

std::vector<std::wstring_view> detail::names_of(std::wstring_view relative) {
  std::vector<std::wstring_view> names;
  std::size_t start = 0;
  while (start <= relative.size()) {
    std::size_t end = start;
    while (end < relative.size() && relative[end] != L'/' && relative[end] != L'\\') ++end;
    const std::wstring_view name = relative.substr(start, end - start);
    if (!name.empty() && name != L".") names.push_back(name);
    start = end + 1;
  }
  return names;
}

std::error_code hold_nearest_existing(const Path& path, HeldFolder& nearest, std::vector<std::wstring>& missing) {
  missing.clear();
  Path here = without_trailing_separators(path);
  for (;;) {
    const std::error_code error = HeldFolder::open(here, nearest);
    if (!error) return {};
    Path up = parent(here);
    if (error != ErrorCondition::missing_parent && error != ErrorCondition::not_found) return error;
    if (up.empty() || up.text().size() >= here.text().size()) return error;
    std::wstring name = here.text().substr(up.text().size());
    while (!name.empty() && is_separator(name.front())) name.erase(0, 1);
    missing.insert(missing.begin(), std::move(name));
    here = std::move(up);
  }
}

std::error_code create_held_folders(HeldFolder& folder, const std::vector<std::wstring>& names) {
  for (const std::wstring& name : names) {
    HeldFolder next;
    std::error_code error = folder.create_folder(name, next);
    // Made meanwhile by somebody else: taken like any existing folder, but never through a link.
    if (error == std::errc::file_exists) error = folder.open_folder(name, next);
    if (error) return error;
    folder = std::move(next);
  }
  return {};
}

}  // namespace tavo::fs
