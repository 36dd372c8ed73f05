#include "sys/calls_posix.hpp"

#include "common/system_error.hpp"
#include "fs/file_identity.hpp"
#include "fs/file_identity_posix.hpp"

namespace tavo::fs {

std::error_code identity_of(std::intptr_t handle, FileIdentity& identity) noexcept {
  struct stat status {};
  if (sys::fstat(static_cast<int>(handle), &status) != 0) return last_system_error();
  identity = posix_identity::of_status(status);
  return {};
}

std::error_code fingerprint_of(std::intptr_t handle, Fingerprint& fingerprint) noexcept {
  struct stat status {};
  if (sys::fstat(static_cast<int>(handle), &status) != 0) return last_system_error();
  fingerprint.identity = posix_identity::of_status(status);
  fingerprint.size = static_cast<std::uint64_t>(status.st_size);
  fingerprint.modified = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
  fingerprint.changed = static_cast<std::int64_t>(status.st_ctim.tv_sec) * 1000000000 + status.st_ctim.tv_nsec;
  return {};
}

// Natively names are bytes compared as they are, and "/" is the only separator.
std::wstring comparable_place(std::wstring_view place) { return std::wstring(place); }

}  // namespace tavo::fs
