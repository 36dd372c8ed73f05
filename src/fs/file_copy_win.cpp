#include "fs/file_copy_win.hpp"

#include "common/progress.hpp"
#include <algorithm>
#include <memory>

#include "common/system_error.hpp"
#include "fs/held_folder.hpp"
#include "fs/temporary_file.hpp"
#include "fs/reparse_tags.hpp"
#include "fs/write_all_win.hpp"
#include "sys/handles_win.hpp"

namespace tavo::fs::win_copy {
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

std::error_code copy_file_from(const wchar_t* from, const wchar_t* to, const Fingerprint* expected) noexcept {
  HANDLE in = INVALID_HANDLE_VALUE;
  if (const std::error_code error = open_source(from, in)) return error;
  const win::UniqueFileHandle source(in);
  return copy_open_file(source.get(), to, expected);
}

std::error_code copy_file_over(const wchar_t* from, const wchar_t* to, const Fingerprint* expected) {
  // The new file beside the old one, renamed over it (waiting out a scanner that holds the old one for a
  // moment): replaced whole or not at all, and a link at `to` is replaced, not written through.
  const Path written = temporary_name_for(Path(to));
  if (const std::error_code error = copy_file_from(from, written.text().c_str(), expected)) return error;
  TemporaryFile copy(written, Path(to));
  return copy.move_into_place();
}

}  // namespace tavo::fs::win_copy
