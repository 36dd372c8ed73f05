#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/posix_fd.hpp"
#include "common/utf8.hpp"
#include "fs/text_file.hpp"

namespace tavo::fs {
namespace {

bool write_all(int fd, std::string_view text) noexcept {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

bool write_text_file(const Path& path, std::string_view text) noexcept {
  std::string name;
  try {
    name = utf8_from_wide(path.text());
  } catch (...) {
    return false;
  }
  // O_NOFOLLOW: a link (even a dangling one) is refused rather than written through; O_NONBLOCK: a FIFO
  // without a reader does not hold the run. Nothing is truncated before the file has proven to be our own.
  posix::UniqueFd file(::open(name.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
  if (!file) return false;
  struct stat status {};
  if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1) return false;
  if (::ftruncate(file.get(), 0) != 0 || !write_all(file.get(), text)) return false;
  // A write that only fails when the data reaches the disk must not pass for success.
  return ::close(file.release()) == 0;
}

namespace detail {

std::optional<std::string> read_regular_file_prefix(const Path& path, std::size_t max_bytes, char stop) {
  posix::UniqueFd file(::open(utf8_from_wide(path.text()).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!file) return std::nullopt;
  struct stat status {};
  if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  std::string prefix(max_bytes, '\0');
  std::size_t filled = 0;
  while (filled < max_bytes) {
    const ssize_t got = ::read(file.get(), prefix.data() + filled, max_bytes - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  prefix.resize(filled);
  const std::size_t end = prefix.find(stop);
  if (end != std::string::npos) prefix.resize(end);
  return prefix;
}

}  // namespace detail
}  // namespace tavo::fs
