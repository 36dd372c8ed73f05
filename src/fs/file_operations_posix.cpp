#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "common/utf8.hpp"
#include "fs/directory_primitives.hpp"
#include "fs/file_operations.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/kernel_copy_posix.hpp"

namespace tavo::fs {
namespace {

std::string native(const Path& path) { return utf8_from_wide(path.text()); }

// A name beside `to` for the new content; short, so that it fits wherever `to`'s own name fits.
Path replacement_name(const Path& to) {
  static std::atomic<unsigned> counter{0};
  Path folder = parent(to);
  if (folder.empty()) folder = Path(L".");
  return join(folder, L".tavo-copy-" + std::to_wstring(::getpid()) + L"-" + std::to_wstring(counter++));
}

}  // namespace

namespace detail {

int make_directory(const Path& path) noexcept {
  try {
    return ::mkdir(native(path).c_str(), 0777) == 0 ? 0 : errno;
  } catch (...) {
    return ENOMEM;
  }
}

bool is_directory(const Path& path) noexcept {
  try {
    struct stat status {};
    return ::stat(native(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
  } catch (...) {
    return false;
  }
}

bool is_missing_parent_error(int code) noexcept { return code == ENOENT; }
bool is_already_exists_error(int code) noexcept { return code == EEXIST; }
int not_found_error() noexcept { return ENOENT; }

}  // namespace detail

void copy_file(const Path& from, const Path& to, bool overwrite) {
  const std::string from_name = native(from);
  if (!overwrite) {
    const int error = posix_copy::copy_to_new_file(AT_FDCWD, from_name.c_str(), AT_FDCWD, native(to).c_str());
    if (error != 0) throw FileSystemError("copy_file", error, from, to);
    return;
  }
  // Overwriting writes a new file beside the destination and renames it over the destination. The old file is
  // thus replaced whole or not at all; a link at the destination is replaced, not written through; and a copy
  // of a file onto itself cannot truncate it first.
  const std::string temporary = native(replacement_name(to));
  int error = posix_copy::copy_to_new_file(AT_FDCWD, from_name.c_str(), AT_FDCWD, temporary.c_str());
  if (error == 0 && ::rename(temporary.c_str(), native(to).c_str()) != 0) {
    error = errno;
    ::unlink(temporary.c_str());
  }
  if (error != 0) throw FileSystemError("copy_file", error, from, to);
}

int rename_without_replace(const Path& from, const Path& to) noexcept {
  try {
    // RENAME_NOREPLACE: even an empty folder at `to` makes the rename fail with EEXIST.
    return ::renameat2(AT_FDCWD, native(from).c_str(), AT_FDCWD, native(to).c_str(), RENAME_NOREPLACE) == 0 ? 0
                                                                                                            : errno;
  } catch (...) {
    return ENOMEM;
  }
}

// EACCES is nearly always a lasting lack of rights on POSIX; only a busy folder may pass by itself.
bool is_transient_rename_error(int code) noexcept { return code == EBUSY; }

}  // namespace tavo::fs
