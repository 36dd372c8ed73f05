#include "sys/calls_posix.hpp"

#include <cerrno>
#include <string>

#include "sys/handles_posix.hpp"
#include "common/system_error.hpp"
#include "common/utf8.hpp"
#include "fs/containment.hpp"

namespace tavo::fs {
namespace {

bool same_file(const struct stat& a, const struct stat& b) noexcept {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The folder at `path`, or else at its nearest existing ancestor, opened through every link on the way into
// `folder`; the error when none can be opened.
std::error_code open_nearest_existing(Path path, posix::UniqueFd& folder) {
  for (;;) {
    folder.reset(sys::open(utf8_from_wide(path.text()).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder) return {};
    const std::error_code error = last_system_error();
    Path up = parent(path);
    if (error != std::errc::no_such_file_or_directory || up.empty() || up == path) return error;
    path = std::move(up);
  }
}

}  // namespace

bool lies_within_on_disk(const Path& path, const Path& folder) {
  struct stat wanted {};
  if (sys::stat(utf8_from_wide(folder.text()).c_str(), &wanted) != 0) return false;
  posix::UniqueFd current;
  if (open_nearest_existing(path, current)) return false;
  // Up through "..": the physical parent, whichever links led down here.
  struct stat here {};
  if (sys::fstat(current.get(), &here) != 0) return false;
  for (;;) {
    if (same_file(here, wanted)) return true;
    posix::UniqueFd up(sys::openat(current.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat above {};
    if (!up || sys::fstat(up.get(), &above) != 0 || same_file(above, here)) return false;  // the root is its own parent
    current = std::move(up);
    here = above;
  }
}

}  // namespace tavo::fs
