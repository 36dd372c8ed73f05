#include "sys/calls_win.hpp"

#include <cstdint>
#include <string>

#include "common/run_log.hpp"
#include "common/system_error.hpp"
#include "sys/handles_win.hpp"
#include "fs/durability.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/folder_walk_win.hpp"
#include "fs/path_forms.hpp"

namespace tavo::fs {

namespace {

// Writes the file's data and metadata from the system's cache to the device, without the device's own cache
// flush, which FlushFileBuffers would make for every single file (slow on a USB stick or a hard disk).
bool flush_data(HANDLE file) noexcept {
  IO_STATUS_BLOCK status{};
  if (sys::NtFlushBuffersFileEx(file, sys::kFlushFlagsNoSync, nullptr, 0, &status) >= 0) return true;
  // Where ntdll lacks the routine, the file's flush together with the storage's cache.
  return ::GetLastError() == ERROR_PROC_NOT_FOUND && sys::FlushFileBuffers(file) != FALSE;
}

}  // namespace

void flush_tree(const Path& folder) {
  std::wstring path = long_path_form(folder).text();
  const auto fail = [&path](const std::error_code& error) { throw FileSystemError("flush", error, Path(path)); };
  // The last file flushed stays open for the one full flush after all of them.
  win::UniqueFileHandle last;
  std::wstring last_path;
  std::uint64_t files = 0;
  win_walk::walk(
      path,
      [&](const std::wstring& entry, const WIN32_FIND_DATAW& data) {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
        win::UniqueFileHandle file(
            sys::CreateFileW(entry.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file || !flush_data(file.get())) throw FileSystemError("flush", last_system_error(), Path(entry));
        last = std::move(file);
        last_path = entry;
        ++files;
        return false;
      },
      fail, fail);
  // One flush of the device's cache makes all the data written above durable: FlushFileBuffers on a file
  // flushes the storage's cache, which holds the other files' data as well.
  if (last && !sys::FlushFileBuffers(last.get())) throw FileSystemError("flush", last_system_error(), Path(last_path));
  if (run_log::active()) {
    run_log::note("Flush: the data of " + std::to_string(files) + " files, then one flush of the device's cache");
  }
}

}  // namespace tavo::fs
