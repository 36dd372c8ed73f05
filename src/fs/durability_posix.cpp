#include <fcntl.h>
#include <unistd.h>

#include "common/fault_switch.hpp"
#include "common/posix_fd.hpp"
#include "common/system_error.hpp"
#include "common/utf8.hpp"
#include "fs/durability.hpp"
#include "fs/filesystem_error.hpp"

namespace tavo::fs {

void flush_tree(const Path& folder) {
  posix::UniqueFd fd(::open(utf8_from_wide(folder.text()).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd || (fault::inject("syncfs") ? -1 : ::syncfs(fd.get())) != 0)
    throw FileSystemError("flush", last_system_error(), folder);
}

void flush_folder_entries(const Path& folder) {
  posix::UniqueFd fd(::open(utf8_from_wide(folder.text()).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd) (void)::fsync(fd.get());  // best effort, as said: the rename has happened
}

}  // namespace tavo::fs
