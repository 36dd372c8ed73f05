#include "sys/calls_posix.hpp"

#include "sys/handles_posix.hpp"
#include "common/run_log.hpp"
#include "common/system_error.hpp"
#include "common/utf8.hpp"
#include "fs/durability.hpp"
#include "fs/filesystem_error.hpp"

namespace tavo::fs {

void flush_tree(const Path& folder) {
  posix::UniqueFd fd(sys::open(utf8_from_wide(folder.text()).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd || sys::syncfs(fd.get()) != 0)
    throw FileSystemError("flush", last_system_error(), folder);
  run_log::note("Flush: one syncfs of the staging folder's file system");
}

}  // namespace tavo::fs
