#pragma once
// New content for a file, written under a name beside it and renamed over it in one step: the file is then
// replaced whole or not at all, and a link at its name is replaced, not written through.

#include <string_view>
#include <system_error>

#include "fs/path.hpp"

namespace tavo::fs {

// A new file under a temporary name beside its final one. Made only once the new file exists: unless it was
// moved into place, the file is removed when this goes, so a failed run leaves neither a half-written file nor
// a stray one.
class TemporaryFile {
 public:
  TemporaryFile(Path path, Path final_path) noexcept;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile();

  const Path& path() const noexcept { return path_; }

  // Renames the file to its final name, replacing a file there. Returns the system's error, empty on success;
  // after a failure the file is still removed when this goes.
  [[nodiscard]] std::error_code move_into_place() noexcept;

 private:
  Path path_;
  Path final_path_;
  bool moved_ = false;
};

// The temporary name of new content for `final_path`: "<final>.tmp-<pid>" beside it.
[[nodiscard]] Path temporary_name_for(const Path& final_path);

// Gives the file at `path` the content `bytes`, whole or not at all: the content goes into a new file under
// temporary_name_for (which must not exist), reaches the disk, and then replaces the file in one rename. When
// anything fails the new file is removed and the old file is as it was. The path is taken in its long-path
// form. Raises FileSystemError "write" (with the temporary name) or "rename" (with both names).
void replace_file(const Path& path, std::string_view bytes);

}  // namespace tavo::fs
