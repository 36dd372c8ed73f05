#include "sys/calls_win.hpp"

#include "common/system_error.hpp"
#include "fs/filesystem_error.hpp"
#include "package/temporary_file.hpp"

namespace tavo::package {

TemporaryFile::~TemporaryFile() {
  if (!moved_) sys::DeleteFileW(path_.text().c_str());
}

void TemporaryFile::move_into_place() {
  if (!sys::MoveFileExW(path_.text().c_str(), final_path_.text().c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    throw fs::FileSystemError("rename", last_system_error(), path_, final_path_);
  }
  moved_ = true;
}

}  // namespace tavo::package
