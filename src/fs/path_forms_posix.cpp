#include "sys/calls_posix.hpp"

#include <cerrno>
#include <vector>

#include "common/system_error.hpp"
#include "common/error.hpp"
#include "common/utf8.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/path_forms.hpp"

namespace tavo::fs {

Path executable_directory() {
  constexpr std::size_t kSize = 32768;
  std::vector<char> buffer(kSize, '\0');
  const ssize_t length = sys::readlink("/proc/self/exe", buffer.data(), kSize);
  if (length <= 0 || static_cast<std::size_t>(length) >= kSize) throw Error("Executable path unavailable");
  return parent(Path(wide_from_utf8(std::string_view(buffer.data(), static_cast<std::size_t>(length)))));
}

Path launch_form(const Path& path, std::size_t) { return path; }  // no limit to work around

Path absolute(const Path& path) {
  if (path.empty() || is_absolute(path.text())) return path;
  std::vector<char> buffer(4096);
  while (sys::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) throw FileSystemError("absolute", last_system_error(), path);
    buffer.resize(buffer.size() * 2);
  }
  return join(Path(wide_from_utf8(buffer.data())), path.text());
}

}  // namespace tavo::fs
