#include "fs/file_copy_win.hpp"

#include "common/progress.hpp"
#include <algorithm>
#include <memory>

#include "common/system_error.hpp"
#include "fs/held_folder.hpp"
#include "fs/reparse_tags.hpp"
#include "fs/write_all_win.hpp"
#include "sys/handles_win.hpp"

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

std::error_code open_source(const wchar_t* path, HANDLE& file) noexcept {
  win::UniqueFileHandle in(sys::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!in) return last_system_error();
  if (sys::GetFileType(in.get()) != FILE_TYPE_DISK) return system_error_code(ERROR_INVALID_FUNCTION);
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (!sys::GetFileInformationByHandleEx(in.get(), FileAttributeTagInfo, &info, sizeof info)) return last_system_error();
  if ((info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && is_link_tag(info.ReparseTag)) return link_met();
  if ((info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return system_error_code(ERROR_ACCESS_DENIED);
  file = in.release();
  return {};
}

std::error_code copy_open_file(HANDLE in, const wchar_t* to, const Fingerprint* expected) noexcept {
  constexpr DWORD kChunk = 1 << 20;
  auto unchanged = [in, expected]() noexcept {
    Fingerprint now;
    return expected == nullptr ||
           (!fingerprint_of(reinterpret_cast<std::intptr_t>(in), now) && now == *expected);
  };
  if (!unchanged()) return changed_since_hash();
  win::UniqueFileHandle out(sys::CreateFileW(to, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!out) return last_system_error();
  std::error_code error;
  const std::unique_ptr<char[]> buffer(new (std::nothrow) char[kChunk]);
  if (!buffer) error = std::make_error_code(std::errc::not_enough_memory);
  while (!error) {
    DWORD count = 0;
    if (!sys::ReadFile(in, buffer.get(), kChunk, &count, nullptr)) {
      error = last_system_error();
      break;
    }
    if (count == 0) break;
    error = win_io::write_all(out.get(), std::string_view(buffer.get(), count));
    if (!error) progress::bytes_done(count);
  }
  if (!error && !unchanged()) error = changed_since_hash();
  if (!error && !sys::CloseHandle(out.release())) error = last_system_error();
  if (error) {
    out.reset();
    sys::DeleteFileW(to);
  }
  return error;
}

}  // namespace tavo::fs::win_copy
