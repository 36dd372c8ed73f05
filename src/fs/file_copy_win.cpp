#include "fs/file_copy_win.hpp"

#include "common/progress.hpp"
#include "common/system_error.hpp"

namespace tavo::fs::win_copy {
namespace {

// Reports the bytes copied since the last call; the copy's own chunks keep a progress window alive inside a
// large file. `data` holds what was reported of this file so far.
DWORD CALLBACK report_copied(LARGE_INTEGER, LARGE_INTEGER transferred, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                             DWORD, HANDLE, HANDLE, LPVOID data) {
  auto& reported = *static_cast<LONGLONG*>(data);
  progress::bytes_done(static_cast<std::uint64_t>(transferred.QuadPart - reported));
  reported = transferred.QuadPart;
  return PROGRESS_CONTINUE;
}

}  // namespace

std::error_code copy_writable_file(const wchar_t* from, const wchar_t* to, bool fail_if_exists) noexcept {
  // CopyFileW with a progress routine: the same copy, the same errors.
  LONGLONG reported = 0;
  if (!sys::CopyFileExW(from, to, report_copied, &reported, nullptr,
                        fail_if_exists ? COPY_FILE_FAIL_IF_EXISTS : 0)) {
    return last_system_error();
  }
  WIN32_FILE_ATTRIBUTE_DATA copied{};
  if (!sys::GetFileAttributesExW(to, GetFileExInfoStandard, &copied)) return last_system_error();
  // Where the copy calls no progress routine (Wine), the whole file is reported now.
  const LONGLONG size = static_cast<LONGLONG>((ULONGLONG{copied.nFileSizeHigh} << 32) | copied.nFileSizeLow);
  progress::bytes_done(size > reported ? static_cast<std::uint64_t>(size - reported) : 0);
  const DWORD attributes = copied.dwFileAttributes;
  if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) return {};
  const DWORD writable = attributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
  if (!sys::SetFileAttributesW(to, writable != 0 ? writable : FILE_ATTRIBUTE_NORMAL)) return last_system_error();
  return {};
}

}  // namespace tavo::fs::win_copy
