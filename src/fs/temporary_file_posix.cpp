#include "sys/calls_posix.hpp"

#include <string>

#include "sys/handles_posix.hpp"
#include "common/system_error.hpp"
#include "common/utf8.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/path_forms.hpp"
#include "fs/temporary_file.hpp"
#include "fs/write_all_posix.hpp"

namespace tavo::fs {

TemporaryFile::~TemporaryFile() {
  if (!moved_) sys::unlink(utf8_from_wide(path_.text()).c_str());
}

std::error_code TemporaryFile::move_into_place() noexcept {
  try {
    const std::string from = utf8_from_wide(path_.text());
    const std::string to = utf8_from_wide(final_path_.text());
    if (sys::rename(from.c_str(), to.c_str()) != 0) return last_system_error();
  } catch (...) {
    return std::make_error_code(std::errc::not_enough_memory);
  }
  moved_ = true;
  return {};
}

void replace_file(const Path& path, std::string_view bytes) {
  const Path target = long_path_form(path);
  const Path name = temporary_name_for(target);
  posix::UniqueFd fd(sys::open(utf8_from_wide(name.text()).c_str(),
                                                     O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (!fd) throw FileSystemError("write", last_system_error(), name);
  TemporaryFile file(name, target);
  if (const std::error_code error = posix_io::write_all(fd.get(), bytes)) throw FileSystemError("write", error, name);
  // Durable before visible: the rename must not put an empty or partial file in place after a power cut.
  if (sys::fsync(fd.get()) != 0) throw FileSystemError("write", last_system_error(), name);
  if (sys::close(fd.release()) != 0) {
    throw FileSystemError("write", last_system_error(), name);
  }
  if (const std::error_code error = file.move_into_place()) throw FileSystemError("rename", error, name, target);
}

}  // namespace tavo::fs
