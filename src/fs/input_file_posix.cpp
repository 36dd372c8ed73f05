#include "sys/calls_posix.hpp"

#include <cerrno>
#include <string>

#include "common/system_error.hpp"
#include "common/utf8.hpp"
#include "fs/input_file.hpp"

namespace tavo::fs {

void InputFileTraits::close(type handle) noexcept { sys::close(static_cast<int>(handle)); }

std::optional<InputFile> InputFile::open(const Path& path) {
  if (path.has_embedded_nul()) return std::nullopt;
  // O_NONBLOCK keeps the open of a pipe from waiting for a writer; it changes nothing for a regular file.
  const int fd =
      sys::open(utf8_from_wide(path.text()).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  InputFile file(fd);
  struct stat info {};
  if (sys::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  (void)sys::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);  // a hint only: a refusal changes nothing
  return file;
}

std::optional<InputFile> InputFile::open_at(const HeldFolder& folder, std::wstring_view name, std::error_code& error) {
  const int fd = sys::openat(static_cast<int>(folder.native()), utf8_from_wide(std::wstring(name)).c_str(),
                             O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
  if (fd < 0) {
    error = last_system_error();
    return std::nullopt;
  }
  InputFile file(fd);
  struct stat info {};
  if (sys::fstat(fd, &info) != 0) {
    error = last_system_error();
    return std::nullopt;
  }
  if (!S_ISREG(info.st_mode)) {
    error = system_error_code(S_ISDIR(info.st_mode) ? EISDIR : EOPNOTSUPP);
    return std::nullopt;
  }
  (void)sys::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  error.clear();
  return file;
}

std::optional<std::size_t> InputFile::read(unsigned char* buffer, std::size_t size) noexcept {
  for (;;) {
    const ssize_t count = sys::read(static_cast<int>(handle_.get()), buffer, size);
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno != EINTR) return std::nullopt;
  }
}

}  // namespace tavo::fs
