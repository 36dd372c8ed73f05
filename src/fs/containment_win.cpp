#include "sys/calls_win.hpp"

#include <optional>
#include <string>
#include <vector>

#include "common/progress.hpp"
#include "common/system_error.hpp"
#include "sys/handles_win.hpp"
#include "fs/containment.hpp"
#include "fs/file_status.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/folder_walk_win.hpp"
#include "fs/reparse_tags_win.hpp"

namespace tavo::fs {
namespace {

struct Identity {
  DWORD volume;
  DWORD index_high;
  DWORD index_low;
  bool operator==(const Identity& o) const noexcept {
    return volume == o.volume && index_high == o.index_high && index_low == o.index_low;
  }
};

// The folder's identity into `identity`, reached through every reparse point on the way; the error when it
// cannot be opened.
std::error_code identity_of(const std::wstring& long_path, Identity& identity) {
  win::UniqueFileHandle handle(sys::CreateFileW(long_path.c_str(), 0,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!handle || !sys::GetFileInformationByHandle(handle.get(), &info)) return last_system_error();
  identity = Identity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return {};
}

std::optional<Identity> nearest_existing_identity(Path path) {
  for (;;) {
    Identity found{};
    const std::error_code error = identity_of(long_path_text(path.text()), found);
    if (!error) return found;
    Path up = parent(path);
    if (error != ErrorCondition::not_found || up.empty() || up == path) return std::nullopt;
    path = std::move(up);
  }
}

// Whether `wanted` is `root` or one of the folders below it. The search goes down, not up from `wanted`: a
// folder reached through a drive letter of its own has no way up on some systems (Wine shows such a drive as a
// volume of its own), while every folder below `root` is reached by listing it. Reparse points are not entered:
// the link check refuses them in the trees that are copied.
bool is_in_tree(const std::wstring& root, const Identity& wanted) {
  std::vector<std::wstring> pending{root};
  while (!pending.empty()) {
    progress::still_working();
    std::wstring folder = std::move(pending.back());
    pending.pop_back();
    Identity identity{};
    if (!identity_of(folder, identity) && identity == wanted) return true;
    WIN32_FIND_DATAW data;
    win::UniqueFindHandle listing;
    // An unlistable folder cannot receive the installation through this walk either.
    if (win_walk::open_listing(folder, data, listing) || !listing) continue;
    do {
      const DWORD attributes = data.dwFileAttributes;
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
          win_walk::is_dot_or_dot_dot(data.cFileName)) {
        continue;
      }
      pending.push_back(folder + (folder.back() == L'\\' ? L"" : L"\\") + data.cFileName);
    } while (sys::FindNextFileW(listing.get(), &data));
  }
  return false;
}

}  // namespace

bool lies_within_on_disk(const Path& path, const Path& folder) {
  const std::optional<Identity> wanted = nearest_existing_identity(path);
  return wanted && is_in_tree(long_path_text(folder.text()), *wanted);
}

bool lies_within_on_disk(const HeldFolder& folder, const HeldFolder& tree) {
  // The held folder's own identity: the 128-bit file id, as the search below reads it of every folder.
  FileIdentity wanted;
  if (folder.identity(wanted)) return false;
  std::vector<std::wstring> pending{long_path_text(tree.path().text())};
  while (!pending.empty()) {
    progress::still_working();
    std::wstring path = std::move(pending.back());
    pending.pop_back();
    const win::UniqueFileHandle entry(sys::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FileIdentity identity;
    if (entry && !identity_of(reinterpret_cast<std::intptr_t>(entry.get()), identity) && identity == wanted) return true;
    WIN32_FIND_DATAW data;
    win::UniqueFindHandle listing;
    // An unlistable folder cannot receive the installation through this walk either.
    if (win_walk::open_listing(path, data, listing) || !listing) continue;
    do {
      const DWORD attributes = data.dwFileAttributes;
      // Links are not entered (the link check refuses them in the trees that are copied); data reparse
      // points (cloud files) are plain folders.
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || win_reparse::is_link(attributes, data.dwReserved0) ||
          win_walk::is_dot_or_dot_dot(data.cFileName)) {
        continue;
      }
      pending.push_back(path + (path.back() == L'\\' ? L"" : L"\\") + data.cFileName);
    } while (sys::FindNextFileW(listing.get(), &data));
  }
  return false;
}

}  // namespace tavo::fs
