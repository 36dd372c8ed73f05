#include "sys/calls_posix.hpp"

#include <cerrno>
#include <string>

#include "sys/handles_posix.hpp"
#include "common/utf8.hpp"
#include "fs/write_all_posix.hpp"
#include "install/ini_encoding.hpp"
#include "install/ini_text.hpp"
#include "install/private_profile.hpp"

namespace tavo::install {
namespace {

// A line break in a name or value would add lines of its own to the file; a "]" would end the section
// header early and an "=" in a key would split it. Windows paths cannot hold these, POSIX names can.
bool is_writable_entry(std::wstring_view section, std::wstring_view key, std::wstring_view value) noexcept {
  auto has_line_break = [](std::wstring_view text) { return text.find_first_of(L"\r\n") != std::wstring_view::npos; };
  return !has_line_break(section) && !has_line_break(key) && !has_line_break(value) &&
         section.find(L']') == std::wstring_view::npos && key.find(L'=') == std::wstring_view::npos;
}

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
  if (!is_writable_entry(section, key, value)) return false;
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
  IniText text = decode_ini_text(bytes);
  text.text = with_profile_string(text.text, ini_elements(section, text.encoding), ini_elements(key, text.encoding),
                                  ini_elements(value, text.encoding));
  if (!write_all_at_start(fd.get(), encode_ini_text(text))) return false;
  return sys::close(fd.release()) == 0;
}

}  // namespace tavo::install
