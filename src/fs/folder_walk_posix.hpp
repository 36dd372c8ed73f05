#pragma once
// The depth-first folder walk shared by the link check, the tree listing and the tree copy on POSIX. Folders are opened relative
// to their parent's descriptor, so no path is formed per entry and depth is not limited by PATH_MAX.

#include "sys/calls_posix.hpp"

#include <cerrno>
#include <system_error>
#include <vector>

#include "common/progress.hpp"
#include "common/system_error.hpp"
#include "sys/handles_posix.hpp"
#include "fs/tree_listing.hpp"

namespace tavo::fs::posix_walk {

inline bool is_dot_or_dot_dot(const char* name) noexcept {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The kind of the entry `name` in the folder `dir` itself (a link is not followed) into `kind`; the error when
// its status cannot be read.
inline std::error_code entry_kind_at(int dir, const char* name, EntryKind& kind) noexcept {
  struct stat status {};
  if (sys::fstatat(dir, name, &status, AT_SYMLINK_NOFOLLOW) != 0) return last_system_error();
  kind = S_ISLNK(status.st_mode)   ? EntryKind::link
         : S_ISDIR(status.st_mode) ? EntryKind::folder
         : S_ISREG(status.st_mode) ? EntryKind::file
                                   : EntryKind::other;
  return {};
}

// Opens the folder `name` relative to `dir` (or AT_FDCWD) into `folder`; the error when it fails. With
// O_NOFOLLOW in extra_flags, a link there fails with ELOOP (Linux reports ENOTDIR for O_DIRECTORY on a link).
inline std::error_code open_folder_fd(int dir, const char* name, int extra_flags, posix::UniqueFd& folder) noexcept {
  folder.reset(sys::openat(dir, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | extra_flags));
  if (folder) return {};
  const std::error_code error = last_system_error();
  struct stat status {};
  if (error == std::errc::not_a_directory && (extra_flags & O_NOFOLLOW) != 0 &&
      sys::fstatat(dir, name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(status.st_mode)) {
    return system_error_code(ELOOP);
  }
  return error;
}

// The same for listing, into `folder`.
inline std::error_code open_folder(int dir, const char* name, int extra_flags, posix::UniqueDir& folder) noexcept {
  posix::UniqueFd fd;
  if (const std::error_code error = open_folder_fd(dir, name, extra_flags, fd)) return error;
  DIR* listing = sys::fdopendir(fd.get());
  if (listing == nullptr) return last_system_error();
  fd.release();  // the listing owns it now
  folder.reset(listing);
  return {};
}

// Walks the tree below the open folder `root`. For every entry except "." and "..", visitor.visit(dir_fd,
// entry) decides whether to enter it as a folder; the folder is then opened with `open_flags` and listed
// before the next entry of its parent (depth first). visitor.leave() runs when an entered folder is done.
// visitor.fail(error) runs with the std::error_code when a folder below the root cannot be opened or listed; it
// must raise.
template <typename Visitor>
void walk(posix::UniqueDir root, Visitor& visitor, int open_flags) {
  std::vector<posix::UniqueDir> levels;
  levels.push_back(std::move(root));
  while (!levels.empty()) {
    DIR* listing = levels.back().get();
    errno = 0;
    const dirent* entry = sys::readdir(listing);
    if (entry == nullptr) {
      if (errno != 0) visitor.fail(last_system_error());
      levels.pop_back();
      if (!levels.empty()) visitor.leave();
      continue;
    }
    if (is_dot_or_dot_dot(entry->d_name)) continue;
    progress::still_working();
    if (!visitor.visit(sys::dirfd(listing), *entry)) continue;
    posix::UniqueDir folder;
    if (const std::error_code error = open_folder(sys::dirfd(listing), entry->d_name, open_flags, folder)) {
      visitor.fail(error);
    }
    levels.push_back(std::move(folder));
  }
}

}  // namespace tavo::fs::posix_walk
