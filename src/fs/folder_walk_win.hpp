#pragma once
// The depth-first folder walk shared by the link check, the tree listing and the tree copy on Windows.

#include "sys/calls_win.hpp"

#include <string>
#include <system_error>
#include <vector>

#include "common/progress.hpp"
#include "common/system_error.hpp"
#include "sys/handles_win.hpp"
#include "fs/reparse_tags_win.hpp"
#include "fs/tree_listing.hpp"

namespace tavo::fs::win_walk {

inline bool is_dot_or_dot_dot(const wchar_t* name) noexcept {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// The kind of an entry by its attributes and, when the reparse bit is set, its reparse tag (a listing's
// dwReserved0): a reparse point is a link unless its tag is a data tag (win_reparse::is_link); attributes that
// could not be read (INVALID_FILE_ATTRIBUTES) count as a link too.
inline EntryKind entry_kind(DWORD attributes, DWORD reparse_tag) noexcept {
  if (win_reparse::is_link(attributes, reparse_tag)) return EntryKind::link;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryKind::folder;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return EntryKind::other;
  return EntryKind::file;
}

// Lists the folder `path` (long-path form) into `listing`; `data` receives the first entry. Returns the error
// when it cannot be listed; a folder without any entry is no failure (and `listing` stays empty).
inline std::error_code open_listing(std::wstring& path, WIN32_FIND_DATAW& data, win::UniqueFindHandle& listing) {
  const std::size_t length = path.size();
  if (path.empty() || path.back() != L'\\') path += L'\\';
  path += L'*';
  listing.reset(sys::FindFirstFileExW(path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                      FIND_FIRST_EX_LARGE_FETCH));
  const DWORD error = listing ? 0 : ::GetLastError();
  path.resize(length);
  // ERROR_FILE_NOT_FOUND: the pattern matched nothing, an empty folder (a drive root).
  return error == 0 || error == ERROR_FILE_NOT_FOUND ? std::error_code() : system_error_code(static_cast<int>(error));
}

// Walks the folder tree below `path`, which must name a folder. For every entry except "." and "..", `path`
// holds the entry's full path while visit(path, data) runs; visit returns true to enter the entry as a folder.
// A folder is entered right after its entry (depth first). hold(path) runs before each folder (the root
// included) is listed and returns a handle that stays open until the folder is done (or an invalid one).
// fail_root(error) runs with the std::error_code when the root cannot be listed, fail_below(error) when a folder
// below it cannot; both must raise. `path` is reused as the one buffer of the walk and holds the root again at the end.
template <typename Visit, typename Hold, typename FailRoot, typename FailBelow>
void walk(std::wstring& path, Visit&& visit, Hold&& hold, FailRoot&& fail_root, FailBelow&& fail_below) {
  struct Level {
    win::UniqueFileHandle held;
    win::UniqueFindHandle listing;
    std::size_t length;  // of the folder's own path
    bool holds_entry;    // the find data holds an entry of this folder that is not yet visited
  };
  const std::size_t root_length = path.size();
  WIN32_FIND_DATAW data;
  std::vector<Level> levels;
  win::UniqueFileHandle held_root = hold(static_cast<const std::wstring&>(path));
  win::UniqueFindHandle root;
  if (const std::error_code error = open_listing(path, data, root)) fail_root(error);
  if (root) levels.push_back(Level{std::move(held_root), std::move(root), root_length, true});

  while (!levels.empty()) {
    Level& level = levels.back();
    if (!level.holds_entry && !sys::FindNextFileW(level.listing.get(), &data)) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_NO_MORE_FILES) fail_below(system_error_code(static_cast<int>(error)));
      levels.pop_back();
      continue;
    }
    level.holds_entry = false;
    if (is_dot_or_dot_dot(data.cFileName)) continue;

    path.resize(level.length);
    if (path.back() != L'\\') path += L'\\';
    path += data.cFileName;
    progress::still_working();
    if (!visit(path, static_cast<const WIN32_FIND_DATAW&>(data))) continue;

    const std::size_t length = path.size();
    win::UniqueFileHandle held = hold(static_cast<const std::wstring&>(path));
    win::UniqueFindHandle listing;
    if (const std::error_code error = open_listing(path, data, listing)) fail_below(error);
    if (listing) levels.push_back(Level{std::move(held), std::move(listing), length, true});
  }
  path.resize(root_length);
}

// The walk without held handles.
template <typename Visit, typename FailRoot, typename FailBelow>
void walk(std::wstring& path, Visit&& visit, FailRoot&& fail_root, FailBelow&& fail_below) {
  walk(path, std::forward<Visit>(visit), [](const std::wstring&) { return win::UniqueFileHandle(); },
       std::forward<FailRoot>(fail_root), std::forward<FailBelow>(fail_below));
}

}  // namespace tavo::fs::win_walk
