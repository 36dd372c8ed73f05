#include "fs/file_operations.hpp"

#include <vector>

#include "common/error.hpp"
#include "common/system_error.hpp"
#include "fs/file_status.hpp"
#include "fs/filesystem_error.hpp"

namespace tavo::fs {

void create_directory(const Path& path) {
  if (const std::error_code error = detail::make_directory(path))
    throw FileSystemError("create_directory", error, path);
}

void create_directories(const Path& path) {
  if (path.empty()) throw FileSystemError("create_directories", detail::not_found_code(), path);
  if (detail::is_directory(path)) return;

  // Create from the bottom up: ancestors are only looked at when a creation reports one missing, so root
  // names (drives, shares, "\\?\" prefixes) are never created or probed.
  struct Pending {
    Path path;
    bool parent_made = false;
  };
  std::vector<Pending> pending{{path}};
  while (!pending.empty()) {
    Pending& top = pending.back();
    const std::error_code error = detail::make_directory(top.path);
    if (!error || (error == std::errc::file_exists && detail::is_directory(top.path))) {
      pending.pop_back();
      if (!pending.empty()) pending.back().parent_made = true;
      continue;
    }
    Path up = parent(top.path);
    const bool can_climb = !top.parent_made && !up.empty() && up.text().size() < top.path.text().size();
    // A file in the way is no reason to create the parent: only a missing folder on the way is.
    if (error != ErrorCondition::missing_parent || !can_climb) throw FileSystemError("create_directories", error, path);
    pending.push_back({std::move(up)});
  }
}

void check_copy_source(const Path& from) {
  const FileType type = status(from);
  if (type == FileType::not_found) throw FileSystemError("copy_file", detail::not_found_code(), from);
  if (type != FileType::regular) throw Error("Cannot read input file");
}

}  // namespace tavo::fs
