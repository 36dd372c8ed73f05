#pragma once
// "Windows as documented": behaviour of a user's Windows that Wine does not show, played by the door of the
// test build when a test switches it on (off by default, so every other test sees Wine as it is). The
// shipped program has none of it: each rule is then a constant.

#include <windows.h>
#include <restartmanager.h>

#include <cstddef>

namespace tavo::sys::documented {

// CreateDirectoryW's own limit: the folder's path must leave room for an 8.3 name (MAX_PATH - 12).
inline constexpr std::size_t kCreateDirectoryLimit = MAX_PATH - 12;

#if defined(TAVO_TEST_BUILD)
// Whether `path` is refused as too long (the last error then set); `limit` is the first refused length.
bool refuses_path(const wchar_t* path, std::size_t limit = MAX_PATH) noexcept;
// Marks the entry `name` (a path or a bare name) as a reparse point when a test chose it.
void mark_entry(const wchar_t* name, DWORD& attributes, DWORD* reparse_tag) noexcept;
void mark_handle(HANDLE handle, DWORD& attributes, DWORD* reparse_tag) noexcept;
// Whether the rename of the folder `from` is refused now because a scanner holds a file inside (the last error
// then set). The rename of a file is never held.
bool holds_rename(const wchar_t* from) noexcept;
// Whether RmGetList's answer is played (`result` then holds its return value): while the rename is held (or
// before it is first tried), the holder that a test chose holds the files.
bool plays_holder(UINT* needed, UINT* count, RM_PROCESS_INFO* applications, DWORD* reboot_reasons,
                  DWORD& result) noexcept;
#else
inline constexpr bool refuses_path(const wchar_t*, std::size_t = MAX_PATH) noexcept { return false; }
inline void mark_entry(const wchar_t*, DWORD&, DWORD*) noexcept {}
inline void mark_handle(HANDLE, DWORD&, DWORD*) noexcept {}
inline constexpr bool holds_rename(const wchar_t*) noexcept { return false; }
inline constexpr bool plays_holder(UINT*, UINT*, RM_PROCESS_INFO*, DWORD*, DWORD&) noexcept { return false; }
#endif

}  // namespace tavo::sys::documented
