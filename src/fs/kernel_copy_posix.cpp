#include "fs/kernel_copy_posix.hpp"

#include "sys/calls_posix.hpp"

#include <cerrno>

#include "sys/handles_posix.hpp"
#include "common/progress.hpp"
#include "common/system_error.hpp"

namespace tavo::fs::posix_copy {
namespace {

constexpr std::size_t kChunk = std::size_t{1} << 30;

bool copy_file_range_unusable(int error) noexcept {
  // Older kernels and some file systems refuse copy_file_range between these two files; sendfile works there.
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EBADF;
}

std::error_code send_content(int in, int out) noexcept {
  for (;;) {
    const ssize_t sent = sys::sendfile(out, in, nullptr, kChunk);
    if (sent > 0) {
      progress::bytes_done(static_cast<std::uint64_t>(sent));
      continue;
    }
    if (sent == 0) return {};
    if (errno != EINTR) return last_system_error();
  }
}

std::error_code copy_content(int in, int out) noexcept {
  bool copied_any = false;
  for (;;) {
    const ssize_t copied =
        sys::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
    if (copied > 0) {
      copied_any = true;
      progress::bytes_done(static_cast<std::uint64_t>(copied));
      continue;
    }
    if (copied == 0) return {};
    if (errno == EINTR) continue;
    if (!copied_any && copy_file_range_unusable(errno)) return send_content(in, out);
    return last_system_error();
  }
}

}  // namespace

std::error_code copy_to_new_file(int from_dir, const char* from_name, int to_dir, const char* to_name,
                                 int extra_open_flags, const Fingerprint* expected) noexcept {
  // O_NONBLOCK: a FIFO in a source tree must not hang the setup; it is refused below.
  posix::UniqueFd in(sys::openat(from_dir, from_name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | extra_open_flags));
  if (!in) return last_system_error();
  struct stat source {};
  if (sys::fstat(in.get(), &source) != 0) return last_system_error();
  if (S_ISDIR(source.st_mode)) return system_error_code(EISDIR);
  if (!S_ISREG(source.st_mode)) return system_error_code(EOPNOTSUPP);
  // The change time moves with every write and cannot be set back: equal before and after, the bytes copied
  // are the bytes hashed.
  auto unchanged = [&in, expected]() noexcept {
    Fingerprint now;
    return expected == nullptr || (!fingerprint_of(in.get(), now) && now == *expected);
  };
  if (!unchanged()) return changed_since_hash();

  // The owner may always write the copy: a read-only package (a CD, some archives) must not give read-only
  // files that the setup, or later the editor, writes.
  const mode_t permissions = (source.st_mode & 0777) | S_IWUSR;
  posix::UniqueFd out(
      sys::openat(to_dir, to_name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, permissions));
  if (!out) return last_system_error();
  std::error_code error = copy_content(in.get(), out.get());
  if (!error && !unchanged()) error = changed_since_hash();
  // The copy's writeback starts now, while the next files are copied, so that the final flush of the tree
  // finds little left to write. A hint only: that flush makes the file durable either way.
  if (!error) (void)sys::sync_file_range(out.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
  // The umask may have taken bits away at creation.
  if (!error && sys::fchmod(out.get(), permissions) != 0) error = last_system_error();
  if (!error && sys::close(out.release()) != 0) error = last_system_error();
  if (error) {
    out.reset();
    sys::unlinkat(to_dir, to_name, 0);
  }
  return error;
}

}  // namespace tavo::fs::posix_copy
