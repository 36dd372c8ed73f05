#include "sys/calls_posix.hpp"

#include <cerrno>
#include <optional>
#include <string>

#include "sys/handles_posix.hpp"
#include "common/utf8.hpp"
#include "fs/write_all_posix.hpp"
#include "install/private_profile.hpp"

namespace tavo::install {
namespace {

bool read_all(int fd, std::string& bytes) {
  char buffer[16384];
  for (;;) {
    const ssize_t got = sys::read(fd, buffer, sizeof buffer);
    if (got > 0) {
      bytes.append(buffer, static_cast<std::size_t>(got));
    } else if (got == 0) {
      return true;
    } else if (errno != EINTR) {
      return false;
    }
  }
}

bool write_all_at_start(int fd, const std::string& bytes) {
  if (sys::lseek(fd, 0, SEEK_SET) != 0) return false;
  if (fs::posix_io::write_all(fd, bytes)) return false;
  return sys::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
}

}  // namespace

bool write_private_profile_string(std::wstring_view section, std::wstring_view key, std::wstring_view value,
                                  const fs::Path& file) {
  // Like the Windows writer, a missing file is created.
  posix::UniqueFd fd(
      sys::open(utf8_from_wide(file.text()).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
  if (!fd) return false;
  struct stat status {};
  if (sys::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  // A file without any write permission is read-only, also to the superuser, as Windows treats its
  // read-only attribute.
  if ((status.st_mode & 0222) == 0) return false;

  std::string bytes;
  if (!read_all(fd.get(), bytes)) return false;
  const std::optional<std::string> edited = with_private_profile_string(bytes, section, key, value);
  if (!edited || !write_all_at_start(fd.get(), *edited)) return false;
  return sys::close(fd.release()) == 0;
}

}  // namespace tavo::install
