#include <windows.h>

#include "fs/file_copy_win.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/folder_walk_win.hpp"
#include "fs/path_forms.hpp"
#include "fs/tree_copy.hpp"

namespace tavo::fs {
namespace {

// Creates one destination folder; an existing folder is accepted. 0 or the system's error code.
DWORD make_folder(const std::wstring& path) noexcept {
  if (::CreateDirectoryW(path.c_str(), nullptr)) return 0;
  const DWORD error = ::GetLastError();
  if (error == ERROR_ALREADY_EXISTS) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return 0;
  }
  return error;
}

std::size_t prefix_length(const std::wstring& folder) noexcept {
  return folder.size() + (folder.empty() || folder.back() != L'\\' ? 1 : 0);
}

}  // namespace

void copy_tree(const Path& from, const Path& to) {
  const Path f = long_path_form(from);
  const Path t = long_path_form(to);
  auto fail = [&f, &t](DWORD error) { throw FileSystemError("copy", static_cast<int>(error), f, t); };

  const DWORD attributes = ::GetFileAttributesW(f.text().c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) fail(::GetLastError());
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    if (const DWORD error = win_copy::copy_writable_file(f.text().c_str(), t.text().c_str(), true)) fail(error);
    return;
  }
  if (const DWORD error = make_folder(t.text())) fail(error);

  // An entry's destination is the destination root followed by the entry's place below the source root,
  // built in one reused buffer.
  std::wstring source = f.text();
  std::wstring destination = t.text();
  if (destination.back() != L'\\') destination += L'\\';
  const std::size_t source_prefix = prefix_length(source);
  const std::size_t destination_prefix = destination.size();

  win_walk::walk(
      source,
      [&](const std::wstring& entry, const WIN32_FIND_DATAW& data) {
        destination.resize(destination_prefix);
        destination.append(entry, source_prefix, std::wstring::npos);
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
          if (const DWORD error = make_folder(destination)) fail(error);
          return true;
        }
        if (const DWORD error = win_copy::copy_writable_file(entry.c_str(), destination.c_str(), true)) fail(error);
        return false;
      },
      fail, fail);
}

}  // namespace tavo::fs
