#pragma once
// The test build's switch for the "Windows as documented" rules of the door (documented_win.hpp).

#include <windows.h>

#include <string>
#include <vector>

namespace tavo::sys::documented {

struct ReparseEntry {
  std::wstring name;  // the entry's own name, compared without regard to case
  DWORD tag;          // IO_REPARSE_TAG_SYMLINK, IO_REPARSE_TAG_CLOUD_1, ...
};

struct Rules {
  bool max_path = false;              // paths without the long-path prefix are limited to MAX_PATH
  std::vector<ReparseEntry> reparse;  // entries that are reparse points
  DWORD rename_hold_error = 0;        // ERROR_ACCESS_DENIED or ERROR_SHARING_VIOLATION; 0: no hold
  DWORD rename_hold_ms = 0;           // how long the hold lasts from the first attempt to rename a folder
  std::wstring rename_holder;         // the application that RmGetList names while the hold lasts; empty: none
};

// Plays the rules from now on; Rules{} plays none.
void enforce(const Rules& rules);

// Renames refused by the hold since the last enforce().
long held_renames() noexcept;

}  // namespace tavo::sys::documented
