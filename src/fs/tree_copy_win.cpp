#include "sys/calls_win.hpp"

#include "common/system_error.hpp"
#include "common/error.hpp"
#include "sys/handles_win.hpp"
#include "fs/file_copy_win.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/folder_walk_win.hpp"
#include "fs/link_check_messages.hpp"
#include "fs/path_forms.hpp"
#include "fs/tree_copy.hpp"

namespace tavo::fs {
namespace {

// Creates one destination folder; an existing folder is accepted.
std::error_code make_folder(const std::wstring& path) noexcept {
  if (sys::CreateDirectoryW(path.c_str(), nullptr)) return {};
  const DWORD error = ::GetLastError();
  if (error == ERROR_ALREADY_EXISTS) {
    const DWORD attributes = sys::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return {};
  }
  return system_error_code(static_cast<int>(error));
}

std::size_t prefix_length(const std::wstring& folder) noexcept {
  return folder.size() + (folder.empty() || folder.back() != L'\\' ? 1 : 0);
}

// Opens the source entry itself (a reparse point is not followed) and holds it while it is copied or listed:
// without FILE_SHARE_DELETE nobody can rename, delete or replace it meanwhile, so what was checked on the
// handle is what gets copied. Attribute access only, so the copy's own reading is not in the way.
struct HeldEntry {
  win::UniqueFileHandle handle;
  bool is_link = false;
};

std::error_code hold_entry(const std::wstring& path, HeldEntry& entry) noexcept {
  entry.handle.reset(
      sys::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!entry.handle || !sys::GetFileInformationByHandle(entry.handle.get(), &info)) return last_system_error();
  entry.is_link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  return {};
}

}  // namespace

void copy_tree(const Path& from, const Path& to) {
  const Path f = long_path_form(from);
  const Path t = long_path_form(to);
  auto fail = [&f, &t](const std::error_code& error) { throw FileSystemError("copy", error, f, t); };
  // Links are refused where the copy meets them: in the folder listing, and again on the held entry.
  auto hold = [&fail](const std::wstring& path, const char* link_message) {
    HeldEntry held;
    if (const std::error_code error = hold_entry(path, held)) fail(error);
    if (held.is_link) throw Error(link_message);
    return std::move(held.handle);
  };

  const DWORD attributes =
      sys::GetFileAttributesW(f.text().c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) fail(last_system_error());
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) throw Error(link_check::linked_root);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    const win::UniqueFileHandle held = hold(f.text(), link_check::linked_root);
    if (const std::error_code error = win_copy::copy_writable_file(f.text().c_str(), t.text().c_str(), true)) {
      fail(error);
    }
    return;
  }
  if (const std::error_code error = make_folder(t.text())) fail(error);

  // An entry's destination is the destination root followed by the entry's place below the source root,
  // built in one reused buffer.
  std::wstring source = f.text();
  std::wstring destination = t.text();
  if (destination.back() != L'\\') destination += L'\\';
  const std::size_t source_prefix = prefix_length(source);
  const std::size_t destination_prefix = destination.size();
  bool at_root = true;

  win_walk::walk(
      source,
      [&](const std::wstring& entry, const WIN32_FIND_DATAW& data) {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) throw Error(link_check::linked_entry);
        destination.resize(destination_prefix);
        destination.append(entry, source_prefix, std::wstring::npos);
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
          if (const std::error_code error = make_folder(destination)) fail(error);
          return true;
        }
        const win::UniqueFileHandle held = hold(entry, link_check::linked_entry);
        if (const std::error_code error = win_copy::copy_writable_file(entry.c_str(), destination.c_str(), true)) {
          fail(error);
        }
        return false;
      },
      [&](const std::wstring& folder) {
        const char* message = at_root ? link_check::linked_root : link_check::linked_entry;
        at_root = false;
        return hold(folder, message);
      },
      fail, fail);
}

}  // namespace tavo::fs
