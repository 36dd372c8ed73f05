#include "sys/calls_posix.hpp"

#include <cerrno>
#include <string>

#include "common/system_error.hpp"
#include "common/utf8.hpp"
#include "fs/file_identity_posix.hpp"
#include "fs/folder_walk_posix.hpp"
#include "fs/held_folder.hpp"

namespace tavo::fs {
namespace {

// Opens the folder `name` in `dir` without following a link (link_met() for one).
int open_folder_at(int dir, const char* name, std::error_code& error) noexcept {
  posix::UniqueFd fd;
  if ((error = posix_walk::open_folder_fd(dir, name, O_NOFOLLOW, fd))) return -1;
  return fd.release();
}

}  // namespace

void HeldHandleTraits::close(type handle) noexcept { sys::close(static_cast<int>(handle)); }

std::error_code link_met() noexcept { return system_error_code(ELOOP); }

std::error_code HeldFolder::open(const Path& path, HeldFolder& folder) {
  const int fd = sys::open(utf8_from_wide(path.text()).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return last_system_error();
  folder.handle_.reset(fd);
  folder.path_ = path;
  return {};
}

std::error_code HeldFolder::open_folder(std::wstring_view relative, HeldFolder& folder) const {
  UniqueResource<HeldHandleTraits> current;
  int dir = static_cast<int>(handle_.get());
  Path path = path_;
  for (const std::wstring_view name : detail::names_of(relative)) {
    std::error_code error;
    const int fd = open_folder_at(dir, utf8_from_wide(std::wstring(name)).c_str(), error);
    if (fd < 0) return error;
    current.reset(fd);
    dir = fd;
    path = join(path, name);
  }
  if (!current) {  // nothing but separators: this folder again
    current.reset(sys::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!current) return last_system_error();
  }
  folder.handle_ = std::move(current);
  folder.path_ = std::move(path);
  return {};
}

std::error_code HeldFolder::create_folder(std::wstring_view name, HeldFolder& folder) const {
  const std::string native_name = utf8_from_wide(std::wstring(name));
  const int dir = static_cast<int>(handle_.get());
  if (sys::mkdirat(dir, native_name.c_str(), 0777) != 0) return last_system_error();
  std::error_code error;
  const int fd = open_folder_at(dir, native_name.c_str(), error);
  if (fd < 0) return error;
  folder.handle_.reset(fd);
  folder.path_ = join(path_, name);
  return {};
}

std::error_code HeldFolder::has_entry(std::wstring_view name, bool& exists) const {
  FileIdentity ignored;
  const std::error_code error =
      posix_identity::of_entry(static_cast<int>(handle_.get()), utf8_from_wide(std::wstring(name)).c_str(), ignored);
  exists = !error;
  return !error || error == std::errc::no_such_file_or_directory ? std::error_code() : error;
}

std::error_code HeldFolder::rename_entry(std::wstring_view from, std::wstring_view to,
                                         const FileIdentity& expected) const {
  // POSIX renames by name only: the name must lead to the expected folder right before the rename, and the
  // new name to it right after.
  const int dir = static_cast<int>(handle_.get());
  const std::string from_name = utf8_from_wide(std::wstring(from));
  const std::string to_name = utf8_from_wide(std::wstring(to));
  FileIdentity found;
  if (const std::error_code error = posix_identity::of_entry(dir, from_name.c_str(), found)) return error;
  if (found != expected) return system_error_code(ESTALE);
  if (sys::renameat2(dir, from_name.c_str(), dir, to_name.c_str(), RENAME_NOREPLACE) != 0) return last_system_error();
  if (const std::error_code error = posix_identity::of_entry(dir, to_name.c_str(), found)) return error;
  return found == expected ? std::error_code() : system_error_code(ESTALE);
}

std::error_code HeldFolder::flush_entries() const {
  return sys::fsync(static_cast<int>(handle_.get())) == 0 ? std::error_code() : last_system_error();
}

std::error_code HeldFolder::identity(FileIdentity& identity) const {
  return identity_of(handle_.get(), identity);
}

Path HeldFolder::access_path() const {
  // The descriptor's own entry in /proc leads to the folder it holds, wherever that folder now is.
  const Path through_descriptor(L"/proc/self/fd/" + std::to_wstring(handle_.get()));
  struct stat status {};
  FileIdentity held;
  if (sys::stat(utf8_from_wide(through_descriptor.text()).c_str(), &status) == 0 && !identity(held) &&
      held == posix_identity::of_status(status)) {
    return through_descriptor;
  }
  return path_;  // without /proc: the folder's path
}

}  // namespace tavo::fs
