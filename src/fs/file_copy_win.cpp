#include "fs/file_copy_win.hpp"

namespace tavo::fs::win_copy {

DWORD copy_writable_file(const wchar_t* from, const wchar_t* to, bool fail_if_exists) noexcept {
  if (!::CopyFileW(from, to, fail_if_exists ? TRUE : FALSE)) return ::GetLastError();
  const DWORD attributes = ::GetFileAttributesW(to);
  if (attributes == INVALID_FILE_ATTRIBUTES) return ::GetLastError();
  if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) return 0;
  const DWORD writable = attributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
  if (!::SetFileAttributesW(to, writable != 0 ? writable : FILE_ATTRIBUTE_NORMAL)) return ::GetLastError();
  return 0;
}

}  // namespace tavo::fs::win_copy
