#include "sys/calls_win.hpp"

#include <string>
#include <vector>

#include "common/progress.hpp"
#include "common/system_error.hpp"
#include "sys/handles_win.hpp"
#include "fs/containment.hpp"
#include "fs/folder_walk_win.hpp"
#include "fs/reparse_tags_win.hpp"

namespace tavo::fs {

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
