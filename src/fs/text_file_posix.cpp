#include "sys/calls_posix.hpp"

#include "sys/handles_posix.hpp"
#include "common/utf8.hpp"
#include "fs/text_file.hpp"
#include "fs/write_all_posix.hpp"

namespace tavo::fs {

bool write_text_file(const Path& path, std::string_view text) {
  const std::string name = utf8_from_wide(path.text());
  // O_NOFOLLOW: a link (even a dangling one) is refused rather than written through; O_NONBLOCK: a FIFO
  // without a reader does not hold the run. Nothing is truncated before the file has proven to be our own.
  posix::UniqueFd file(sys::open(name.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
  if (!file) return false;
  struct stat status {};
  if (sys::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1) return false;
  if (sys::ftruncate(file.get(), 0) != 0) return false;
  if (posix_io::write_all(file.get(), text)) return false;
  // A write that only fails when the data reaches the disk must not pass for success.
  return sys::close(file.release()) == 0;
}

}  // namespace tavo::fs
