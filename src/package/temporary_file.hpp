#pragma once

#include "fs/path.hpp"

namespace tavo::package {

// A new file that is written under a name beside its final one ("<final>.tmp-<pid>") and then renamed into
// place in one step. Made only once the new file exists: unless it was moved into place, the file is removed
// when this goes, so a failed run leaves neither a half-written file nor a stray one.
class TemporaryFile {
 public:
  explicit TemporaryFile(fs::Path final_path);
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile();

  // The name to write to first.
  static fs::Path name_for(const fs::Path& final_path);
  const fs::Path& path() const noexcept { return path_; }

  // Renames the file to its final name, replacing a file there. Raises FileSystemError "rename".
  void move_into_place();

 private:
  fs::Path final_path_;
  fs::Path path_;
  bool moved_ = false;
};

}  // namespace tavo::package
