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

// Down through the tree. Not strict, a folder that cannot be opened or listed is passed over (it cannot
// receive anything through this walk either).
std::error_code detail::search_on_disk(const HeldFolder& folder, const HeldFolder& tree, bool strict, bool& within) {
  within = false;
  // The held folder's own identity: the 128-bit file id, as the search below reads it of every folder.
  FileIdentity wanted;
  if (const std::error_code error = folder.identity(wanted)) return error;
  std::vector<std::wstring> pending{long_path_text(tree.path().text())};
  while (!pending.empty()) {
    progress::still_working();
    std::wstring path = std::move(pending.back());
    pending.pop_back();
    const win::UniqueFileHandle entry(sys::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FileIdentity identity;
    const std::error_code unread = entry ? identity_of(reinterpret_cast<std::intptr_t>(entry.get()), identity)
                                         : last_system_error();
    if (!unread && identity == wanted) return (within = true, std::error_code());
    if (unread && strict) return unread;
    WIN32_FIND_DATAW data;
    win::UniqueFindHandle listing;
    if (const std::error_code error = win_walk::open_listing(path, data, listing)) {
      if (strict) return error;
      continue;
    }
    if (!listing) continue;  // nothing in it
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
    if (strict && ::GetLastError() != ERROR_NO_MORE_FILES) return last_system_error();
  }
  return {};
}

}  // namespace tavo::fs
