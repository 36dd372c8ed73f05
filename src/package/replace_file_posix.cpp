#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/posix_fd.hpp"
#include "common/utf8.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/path_forms.hpp"
#include "package/replace_file.hpp"

namespace tavo::package {
namespace {

// Removes the new file unless it has been renamed into place.
class NewFile {
 public:
  explicit NewFile(std::string name) : name_(std::move(name)) {}
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;
  ~NewFile() {
    if (!kept_) ::unlink(name_.c_str());
  }
  const std::string& name() const noexcept { return name_; }
  void keep() noexcept { kept_ = true; }

 private:
  std::string name_;
  bool kept_ = false;
};

void write_all(int fd, std::string_view bytes, const fs::Path& path) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) throw fs::FileSystemError("write", errno, path);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace

void replace_file(const fs::Path& path, std::string_view bytes) {
  const fs::Path target = fs::long_path_form(path);
  const fs::Path temporary = temporary_beside(target);
  posix::UniqueFd fd(::open(utf8_from_wide(temporary.text()).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (!fd) throw fs::FileSystemError("write", errno, temporary);
  NewFile new_file(utf8_from_wide(temporary.text()));
  write_all(fd.get(), bytes, temporary);
  if (::fsync(fd.get()) != 0) throw fs::FileSystemError("write", errno, temporary);
  if (::close(fd.release()) != 0) throw fs::FileSystemError("write", errno, temporary);
  if (::rename(new_file.name().c_str(), utf8_from_wide(target.text()).c_str()) != 0) {
    throw fs::FileSystemError("rename", errno, temporary, target);
  }
  new_file.keep();
}

}  // namespace tavo::package
