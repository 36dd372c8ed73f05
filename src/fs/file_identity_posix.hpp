#pragma once
// The identity of a file natively: its device and inode. POSIX build only.

#include "sys/calls_posix.hpp"

#include <system_error>

#include "common/system_error.hpp"
#include "fs/file_identity.hpp"

namespace tavo::fs::posix_identity {

inline FileIdentity of_status(const struct stat& status) noexcept {
  return {static_cast<std::uint64_t>(status.st_dev), 0, static_cast<std::uint64_t>(status.st_ino)};
}

// The identity of the entry `name` in the folder `dir` itself, a link not followed; nothing there is an
// error (ENOENT).
inline std::error_code of_entry(int dir, const char* name, FileIdentity& identity) noexcept {
  struct stat status {};
  if (sys::fstatat(dir, name, &status, AT_SYMLINK_NOFOLLOW) != 0) return last_system_error();
  identity = of_status(status);
  return {};
}

}  // namespace tavo::fs::posix_identity
