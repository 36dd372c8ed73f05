#include "sys/calls_posix.hpp"

#include <cerrno>

#include "common/system_error.hpp"
#include "common/utf8.hpp"
#include "fs/filesystem_error.hpp"
#include "package/temporary_file.hpp"

namespace tavo::package {

TemporaryFile::~TemporaryFile() {
  if (!moved_) sys::unlink(utf8_from_wide(path_.text()).c_str());
}

void TemporaryFile::move_into_place() {
  if (sys::rename(utf8_from_wide(path_.text()).c_str(), utf8_from_wide(final_path_.text()).c_str()) != 0) {
    throw fs::FileSystemError("rename", last_system_error(), path_, final_path_);
  }
  moved_ = true;
}

}  // namespace tavo::package
