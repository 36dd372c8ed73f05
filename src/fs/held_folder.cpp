#include "fs/held_folder.hpp"

#include "common/system_error.hpp"

namespace tavo::fs {

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
