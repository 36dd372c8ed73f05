#include "sys/calls_win.hpp"

#include <string>

#include "common/system_error.hpp"
#include "sys/handles_win.hpp"
#include "fs/file_status.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/reparse_tags_win.hpp"
#include "fs/path_forms.hpp"

namespace tavo::fs {
namespace {

FileType type_from_attributes(DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileType::directory;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return FileType::other;
  return FileType::regular;
}

// A link (symbolic link, junction) is opened, which resolves it, and its target's attributes read.
FileType status_through_link(const Path& path) {
  win::UniqueFileHandle handle(sys::CreateFileW(system_path_text(path).c_str(), 0,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) {
    const std::error_code code = last_system_error();
    if (code == ErrorCondition::not_found) return FileType::not_found;
    throw FileSystemError("status", code, path);
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!sys::GetFileInformationByHandle(handle.get(), &info)) throw FileSystemError("status", last_system_error(), path);
  return type_from_attributes(info.dwFileAttributes);
}

}  // namespace

FileType status(const Path& path) {
  if (path.has_embedded_nul()) return FileType::not_found;
  const DWORD attributes =
      sys::GetFileAttributesW(system_path_text(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const std::error_code code = last_system_error();
    if (code == ErrorCondition::not_found) return FileType::not_found;
    throw FileSystemError("status", code, path);
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return type_from_attributes(attributes);
  // A reparse point with a data tag (a cloud file) is a plain entry, told by its own attributes and never opened
  // through its filter; a link, or a tag that cannot be read, is resolved as before.
  FILE_ATTRIBUTE_TAG_INFO own{};
  if (win_reparse::read_attribute_tag(system_path_text(path).c_str(), own) || win_reparse::is_link_by_tag(own)) {
    return status_through_link(path);
  }
  return type_from_attributes(own.FileAttributes);
}

bool exists(const Path& path) {
  if (path.has_embedded_nul()) return false;
  // GetFileAttributesW reports a link itself, not its target.
  if (sys::GetFileAttributesW(system_path_text(path).c_str()) !=
      INVALID_FILE_ATTRIBUTES)
    return true;
  const std::error_code code = last_system_error();
  if (code == ErrorCondition::not_found) return false;
  throw FileSystemError("exists", code, path);
}

}  // namespace tavo::fs
