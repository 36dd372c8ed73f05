#include "sys/calls_posix.hpp"

#include <cerrno>
#include <string>

#include "common/system_error.hpp"
#include "sys/handles_posix.hpp"
#include "common/utf8.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/path_forms.hpp"
#include "package/replace_file.hpp"
#include "package/temporary_file.hpp"

namespace tavo::package {
namespace {

void write_all(int fd, std::string_view bytes, const fs::Path& path) {
  while (!bytes.empty()) {
    const ssize_t written = sys::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) throw fs::FileSystemError("write", last_system_error(), path);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace

void replace_file(const fs::Path& path, std::string_view bytes) {
  const fs::Path target = fs::long_path_form(path);
  const fs::Path name = TemporaryFile::name_for(target);
  posix::UniqueFd fd(sys::open(utf8_from_wide(name.text()).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (!fd) throw fs::FileSystemError("write", last_system_error(), name);
  TemporaryFile file(target);
  write_all(fd.get(), bytes, name);
  if (sys::fsync(fd.get()) != 0) throw fs::FileSystemError("write", last_system_error(), name);
  if (sys::close(fd.release()) != 0) throw fs::FileSystemError("write", last_system_error(), name);
  file.move_into_place();
}

}  // namespace tavo::package
