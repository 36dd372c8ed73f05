#include "sys/calls_win.hpp"

#include "common/system_error.hpp"
#include "sys/handles_win.hpp"
#include "fs/durability.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/folder_walk_win.hpp"
#include "fs/path_forms.hpp"

namespace tavo::fs {

void flush_tree(const Path& folder) {
  std::wstring path = long_path_form(folder).text();
  const auto fail = [&path](const std::error_code& error) { throw FileSystemError("flush", error, Path(path)); };
  win_walk::walk(
      path,
      [&fail](const std::wstring& entry, const WIN32_FIND_DATAW& data) {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
        const win::UniqueFileHandle file(
            sys::CreateFileW(entry.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file || !sys::FlushFileBuffers(file.get())) fail(last_system_error());
        return false;
      },
      fail, fail);
}

}  // namespace tavo::fs
