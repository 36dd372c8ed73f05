#include "sys/calls_win.hpp"

#include <functional>

#include "common/system_error.hpp"
#include "common/error.hpp"
#include "sys/handles_win.hpp"
#include "fs/file_copy_win.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/folder_walk_win.hpp"
#include "fs/link_check_messages.hpp"
#include "fs/path_forms.hpp"
#include "fs/reparse_tags.hpp"
#include "fs/temporary_file.hpp"
#include "fs/reparse_tags_win.hpp"
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

}  // namespace

namespace {

// Holds a source folder while it is listed: listing access takes part in share checks, and without
// FILE_SHARE_DELETE nobody can rename, delete or replace it meanwhile. A link is refused.
win::UniqueFileHandle hold_folder(const std::wstring& path, const char* link_message,
                                  const std::function<void(const std::error_code&)>& fail) {
  win::UniqueFileHandle held(sys::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (!held || !sys::GetFileInformationByHandleEx(held.get(), FileAttributeTagInfo, &info, sizeof info)) {
    fail(last_system_error());
  }
  if ((info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && is_link_tag(info.ReparseTag)) {
    throw Error(link_message);
  }
  return held;
}

// Copies the tree below the folder `source` into the existing folder `destination` (both in long-path form):
// each folder held while it is listed, links refused, each file copied from its own handle, and held against
// the hashes of `hashed` when given.
void copy_below(std::wstring source, std::wstring destination, const HashedSource* hashed,
                const std::function<void(const std::error_code&)>& fail) {
  // An entry's destination is the destination root followed by the entry's place below the source root,
  // built in one reused buffer.
  if (destination.back() != L'\\') destination += L'\\';
  const std::size_t source_prefix = prefix_length(source);
  const std::size_t destination_prefix = destination.size();
  std::wstring place;
  win_walk::walk(
      source,
      [&](const std::wstring& entry, const WIN32_FIND_DATAW& data) {
        if (win_reparse::is_link(data.dwFileAttributes, data.dwReserved0)) throw Error(link_check::linked_entry);
        destination.resize(destination_prefix);
        destination.append(entry, source_prefix, std::wstring::npos);
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
          if (const std::error_code error = make_folder(destination)) fail(error);
          return true;
        }
        const Fingerprint* expected = nullptr;
        if (hashed != nullptr && hashed->hashed != nullptr) {
          place.assign(hashed->place).append(L"/").append(entry, source_prefix, std::wstring::npos);
          expected = hashed->hashed->find(place);
        }
        if (const std::error_code error = win_copy::copy_file_from(entry.c_str(), destination.c_str(), expected)) {
          fail(error);
        }
        return false;
      },
      [&, at_root = true](const std::wstring& folder) mutable {
        const char* message = at_root ? link_check::linked_root : link_check::linked_entry;
        at_root = false;
        return hold_folder(folder, message, fail);
      },
      fail, fail);
}

}  // namespace

void copy_tree(const Path& from, const Path& to) {
  const Path f = long_path_form(from);
  const Path t = long_path_form(to);
  const std::function<void(const std::error_code&)> fail = [&f, &t](const std::error_code& error) {
    if (error == link_met()) throw Error(link_check::linked_entry);
    throw FileSystemError("copy", error, f, t);
  };
  DWORD attributes = 0;
  if (win_reparse::is_link_entry(f.text().c_str(), attributes)) {
    if (attributes == INVALID_FILE_ATTRIBUTES) fail(last_system_error());
    throw Error(link_check::linked_root);
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    const std::error_code error = win_copy::copy_file_from(f.text().c_str(), t.text().c_str(), nullptr);
    if (error == link_met()) throw Error(link_check::linked_root);
    if (error) fail(error);
    return;
  }
  if (const std::error_code error = make_folder(t.text())) fail(error);

  copy_below(f.text(), t.text(), nullptr, fail);
}

void copy_tree(const HeldFolder& from, const HeldFolder& to, std::wstring_view name, const HashedSource& source) {
  const Path destination_root = join(to.path(), name);
  const std::function<void(const std::error_code&)> fail = [&](const std::error_code& error) {
    if (error == link_met()) throw Error(link_check::linked_entry);
    if (error == changed_since_hash() && source.changed != nullptr) throw Error(source.changed);
    throw FileSystemError("copy", error, from.path(), destination_root);
  };
  HeldFolder made;
  if (const std::error_code error = to.create_folder(name, made)) fail(error);

  copy_below(long_path_text(from.path().text()), long_path_text(made.path().text()), &source, fail);
}

void copy_file(const HeldFolder& from, std::wstring_view from_name, const HeldFolder& to, std::wstring_view to_name,
               bool overwrite, const HashedSource& source) {
  const Path from_path = join(from.path(), from_name);
  const Path to_path = join(to.path(), to_name);
  const Fingerprint* expected =
      source.hashed != nullptr ? source.hashed->find(source.place + L"/" + std::wstring(from_name)) : nullptr;
  const std::wstring in = long_path_text(from_path.text());
  const std::wstring out = long_path_text(to_path.text());
  const std::error_code error = overwrite ? win_copy::copy_file_over(in.c_str(), out.c_str(), expected)
                                          : win_copy::copy_file_from(in.c_str(), out.c_str(), expected);
  if (error == link_met()) throw Error(link_check::linked_entry);
  if (error == changed_since_hash() && source.changed != nullptr) throw Error(source.changed);
  if (error) throw FileSystemError("copy_file", error, from_path, to_path);
}

}  // namespace tavo::fs
