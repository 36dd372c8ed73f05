#include "sys/calls_posix.hpp"

#include <cerrno>
#include <string>

#include "sys/handles_posix.hpp"
#include "common/utf8.hpp"
#include "fs/containment.hpp"

namespace tavo::fs {
namespace {

bool same_file(const struct stat& a, const struct stat& b) noexcept {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The folder at `path`, or else at its nearest existing ancestor, opened through every link on the way.
posix::UniqueFd open_nearest_existing(Path path) {
  for (;;) {
    posix::UniqueFd folder(sys::open(utf8_from_wide(path.text()).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder || errno != ENOENT) return folder;
    Path up = parent(path);
    if (up.empty() || up == path) return folder;
    path = std::move(up);
  }
}

}  // namespace

bool lies_within_on_disk(const Path& path, const Path& folder) {
  struct stat wanted {};
  if (sys::stat(utf8_from_wide(folder.text()).c_str(), &wanted) != 0) return false;
  posix::UniqueFd current = open_nearest_existing(path);
  if (!current) return false;
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
