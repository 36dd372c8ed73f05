#include "sys/calls_win.hpp"

#include <string>

#include "common/system_error.hpp"
#include "fs/held_folder.hpp"
#include "fs/reparse_tags.hpp"
#include "sys/handles_win.hpp"

namespace tavo::fs {
namespace {

HANDLE as_handle(std::intptr_t value) noexcept { return reinterpret_cast<HANDLE>(value); }

// Listing takes part in share checks (MS-FSA 2.1.5.1.2.2: read-data, which listing a folder is, does; reading
// attributes alone does not). Shared for reading and writing but not for deletion: while the folder is held,
// nobody can rename, delete or replace it, and on Windows no folder above it can be renamed either.
constexpr DWORD kFolderAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr DWORD kFolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The path by which the entry `name` of the folder `folder` is reached, in long-path form: "\\?\" paths take no
// "/" and no relative parts, so names are joined with "\".
std::wstring entry_path(const Path& folder, std::wstring_view name) {
  std::wstring path = long_path_text(folder.text());
  if (path.empty() || path.back() != L'\\') path += L'\\';
  path += name;
  return path;
}

// Opens the folder at `path` and holds it. Not following: a link (by its reparse tag) fails with link_met().
// A handle that shows no reparse point where the entry's own attributes show one was opened through a link
// (or the entry changed in between): that is refused as a link too.
std::error_code open_held(const std::wstring& path, bool follow, UniqueResource<HeldHandleTraits>& held) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  UniqueResource<HeldHandleTraits> handle(reinterpret_cast<std::intptr_t>(
      sys::CreateFileW(path.c_str(), kFolderAccess, kFolderShare, nullptr, OPEN_EXISTING, flags, nullptr)));
  if (as_handle(handle.get()) == INVALID_HANDLE_VALUE) return last_system_error();
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (!sys::GetFileInformationByHandleEx(as_handle(handle.get()), FileAttributeTagInfo, &info, sizeof info)) {
    return last_system_error();
  }
  if (!follow) {
    if ((info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && is_link_tag(info.ReparseTag)) return link_met();
    const DWORD own = sys::GetFileAttributesW(path.c_str());
    if (own == INVALID_FILE_ATTRIBUTES) return last_system_error();
    if ((own & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      return link_met();
    }
  }
  if ((info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return system_error_code(ERROR_DIRECTORY);
  held = std::move(handle);
  return {};
}

// The identity of the entry at `path` itself, not followed.
std::error_code identity_at(const std::wstring& path, FileIdentity& identity) {
  const win::UniqueFileHandle entry(sys::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                                     OPEN_EXISTING,
                                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!entry) return last_system_error();
  return identity_of(reinterpret_cast<std::intptr_t>(entry.get()), identity);
}

}  // namespace

void HeldHandleTraits::close(type handle) noexcept { sys::CloseHandle(as_handle(handle)); }

// ERROR_STOPPED_ON_SYMLINK (681, "The create operation stopped after reaching a symbolic link"), which the
// headers at hand do not name. https://learn.microsoft.com/windows/win32/debug/system-error-codes--500-999-
std::error_code link_met() noexcept { return system_error_code(681); }

std::error_code HeldFolder::open(const Path& path, HeldFolder& folder) {
  if (const std::error_code error = open_held(long_path_text(path.text()), true, folder.handle_)) return error;
  folder.path_ = path;
  return {};
}

std::error_code HeldFolder::open_folder(std::wstring_view relative, HeldFolder& folder) const {
  // Each folder on the way is held until the next one is: none of them can be swapped meanwhile.
  UniqueResource<HeldHandleTraits> current;
  Path path = path_;
  for (const std::wstring_view name : detail::names_of(relative)) {
    UniqueResource<HeldHandleTraits> next;
    if (const std::error_code error = open_held(entry_path(path, name), false, next)) return error;
    current = std::move(next);
    path = join(path, name);
  }
  if (!current) {
    if (const std::error_code error = open_held(long_path_text(path_.text()), false, current)) return error;
  }
  folder.handle_ = std::move(current);
  folder.path_ = std::move(path);
  return {};
}

std::error_code HeldFolder::create_folder(std::wstring_view name, HeldFolder& folder) const {
  const std::wstring path = entry_path(path_, name);
  if (!sys::CreateDirectoryW(path.c_str(), nullptr)) return last_system_error();
  if (const std::error_code error = open_held(path, false, folder.handle_)) return error;
  folder.path_ = join(path_, name);
  return {};
}

std::error_code HeldFolder::has_entry(std::wstring_view name, bool& exists) const {
  exists = sys::GetFileAttributesW(entry_path(path_, name).c_str()) != INVALID_FILE_ATTRIBUTES;
  if (exists) return {};
  const std::error_code error = last_system_error();
  return error == ErrorCondition::not_found ? std::error_code() : error;
}

std::error_code HeldFolder::rename_entry(std::wstring_view from, std::wstring_view to,
                                         const FileIdentity& expected) const {
  const std::wstring from_path = entry_path(path_, from);
  const std::wstring to_path = entry_path(path_, to);
  FileIdentity found;
  if (const std::error_code error = identity_at(from_path, found)) return error;
  if (found != expected) return system_error_code(ERROR_FILE_INVALID);
  // No MOVEFILE_REPLACE_EXISTING: anything at `to` fails the rename with ERROR_ALREADY_EXISTS.
  // MOVEFILE_WRITE_THROUGH is documented only for a move made as a copy and a delete (to another volume);
  // for this rename in one folder it promises nothing. What the rename makes visible was flushed before it.
  if (!sys::MoveFileExW(from_path.c_str(), to_path.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)) {
    return last_system_error();
  }
  if (const std::error_code error = identity_at(to_path, found)) return error;
  return found == expected ? std::error_code() : system_error_code(ERROR_FILE_INVALID);
}

std::error_code HeldFolder::flush_entries() const {
  // Not flushed: FlushFileBuffers is documented for files and, with administrative rights, for a volume,
  // not for a folder's handle, and this program runs without those rights. A power cut right after the rename
  // may thus undo it (the staging folder stays under its own name), but never shows the target over files
  // that are not on the disk: those were flushed before the rename.
  return {};
}

std::error_code HeldFolder::identity(FileIdentity& identity) const { return identity_of(handle_.get(), identity); }

Path HeldFolder::access_path() const {
  // While held without FILE_SHARE_DELETE the folder keeps its path: the path leads to this very folder.
  return path_;
}

}  // namespace tavo::fs
