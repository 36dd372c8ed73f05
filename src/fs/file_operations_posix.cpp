#include "sys/calls_posix.hpp"

#include <atomic>
#include <cerrno>
#include <string>

#include "common/system_error.hpp"
#include "common/utf8.hpp"
#include "fs/file_operations.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/kernel_copy_posix.hpp"
#include "fs/temporary_file.hpp"

namespace tavo::fs {
namespace {

std::string native(const Path& path) { return utf8_from_wide(path.text()); }

// A name beside `to` for the new content; short, so that it fits wherever `to`'s own name fits.
Path replacement_name(const Path& to) {
  static std::atomic<unsigned> counter{0};
  Path folder = parent(to);
  if (folder.empty()) folder = Path(L".");
  return join(folder, L".tavo-copy-" + std::to_wstring(sys::getpid()) + L"-" + std::to_wstring(counter++));
}

}  // namespace

namespace detail {

std::error_code make_directory(const Path& path) {
  return sys::mkdir(native(path).c_str(), 0777) == 0 ? std::error_code()
                                                                                  : last_system_error();
}

bool is_directory(const Path& path) {
  struct stat status {};
  return sys::stat(native(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::error_code not_found_code() noexcept { return system_error_code(ENOENT); }

}  // namespace detail

void copy_file(const Path& from, const Path& to, bool overwrite) {
  const std::string from_name = native(from);
  if (!overwrite) {
    const std::error_code error =
        posix_copy::copy_to_new_file(AT_FDCWD, from_name.c_str(), AT_FDCWD, native(to).c_str());
    if (error) throw FileSystemError("copy_file", error, from, to);
    return;
  }
  // Overwriting writes a new file beside the destination and renames it over the destination. The old file is
  // thus replaced whole or not at all; a link at the destination is replaced, not written through; and a copy
  // of a file onto itself cannot truncate it first.
  const Path temporary = replacement_name(to);
  const std::error_code error =
      posix_copy::copy_to_new_file(AT_FDCWD, from_name.c_str(), AT_FDCWD, native(temporary).c_str());
  if (error) throw FileSystemError("copy_file", error, from, to);
  TemporaryFile copy(temporary, to);
  if (const std::error_code failure = copy.move_into_place()) throw FileSystemError("copy_file", failure, from, to);
}

}  // namespace tavo::fs
