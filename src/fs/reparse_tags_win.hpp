#pragma once
// Links among the reparse points on Windows: the attributes of an entry together with its reparse tag, which
// a listing reports in WIN32_FIND_DATAW::dwReserved0 and a handle in FILE_ATTRIBUTE_TAG_INFO.

#include "sys/calls_win.hpp"

#include <system_error>

#include "common/system_error.hpp"
#include "fs/reparse_tags.hpp"
#include "sys/handles_win.hpp"

namespace tavo::fs::win_reparse {

// Whether an entry with these attributes and tag (read only when the reparse bit is set) is a link.
// INVALID_FILE_ATTRIBUTES: attributes that could not be read count as a link.
inline bool is_link(DWORD attributes, DWORD reparse_tag) noexcept {
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && is_link_tag(reparse_tag);
}

// For an entry seen as a reparse point: whether its attributes and tag, read on a handle of the entry, make it a
// link. A handle that shows no reparse point tells no tag (the entry changed meanwhile, or the system opened a
// link through, as Wine does with a Linux link): that counts as a link too.
inline bool is_link_by_tag(const FILE_ATTRIBUTE_TAG_INFO& info) noexcept {
  return (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 || is_link_tag(info.ReparseTag);
}

// The attributes and tag of the entry at `path` itself: FILE_FLAG_OPEN_REPARSE_POINT opens a link, not its
// target, and a cloud file without fetching its content; FILE_READ_ATTRIBUTES takes no part in share checks.
inline std::error_code read_attribute_tag(const wchar_t* path, FILE_ATTRIBUTE_TAG_INFO& info) noexcept {
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const win::UniqueFileHandle entry(sys::CreateFileW(path, FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                                     nullptr));
  if (!entry || !sys::GetFileInformationByHandleEx(entry.get(), FileAttributeTagInfo, &info, sizeof info)) {
    return last_system_error();
  }
  return {};
}

// Whether the entry at `path` is a link by its own attributes: GetFileAttributesW, and for a reparse point the
// tag on a handle of the entry. Whatever cannot be read counts as a link. `attributes` receives what was read.
inline bool is_link_entry(const wchar_t* path, DWORD& attributes) noexcept {
  attributes = sys::GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (read_attribute_tag(path, info) || is_link_by_tag(info)) return true;
  attributes = info.FileAttributes;
  return false;
}

}  // namespace tavo::fs::win_reparse
