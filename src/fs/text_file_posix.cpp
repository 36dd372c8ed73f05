#include "sys/calls_posix.hpp"

#include "sys/handles_posix.hpp"
#include "common/system_error.hpp"
#include "common/utf8.hpp"
#include "fs/text_file.hpp"
#include "fs/write_all_posix.hpp"

namespace tavo::fs {

void OwnTextFileTraits::close(type handle) noexcept { sys::close(static_cast<int>(handle)); }

std::optional<OwnTextFile> OwnTextFile::create(const Path& path, bool new_only, std::error_code& error) {
  const std::string name = utf8_from_wide(path.text());
  // O_NOFOLLOW: a link (even a dangling one) is refused rather than written through; O_NONBLOCK: a FIFO
  // without a reader does not hold the run. Nothing is truncated before the file has proven to be our own.
  const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (new_only ? O_EXCL : 0);
  posix::UniqueFd file(sys::open(name.c_str(), flags, 0666));
  if (!file) {
    error = last_system_error();
    return std::nullopt;
  }
  struct stat status {};
  if (sys::fstat(file.get(), &status) != 0) {
    error = last_system_error();
    return std::nullopt;
  }
  if (!S_ISREG(status.st_mode) || status.st_nlink != 1) {
    error = std::make_error_code(S_ISREG(status.st_mode) ? std::errc::too_many_links
                                                         : std::errc::operation_not_supported);
    return std::nullopt;
  }
  if (sys::ftruncate(file.get(), 0) != 0) {
    error = last_system_error();
    return std::nullopt;
  }
  return OwnTextFile(file.release());
}

std::error_code OwnTextFile::write(std::string_view text) noexcept {
  return posix_io::write_all(static_cast<int>(handle_.get()), text);
}

std::error_code OwnTextFile::close() noexcept {
  if (sys::close(static_cast<int>(handle_.release())) != 0) return last_system_error();
  return {};
}

}  // namespace tavo::fs
