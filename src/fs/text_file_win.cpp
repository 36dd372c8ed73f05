#include "sys/calls_win.hpp"

#include "sys/handles_win.hpp"
#include "fs/reparse_tags_win.hpp"
#include "fs/text_file.hpp"
#include "fs/write_all_win.hpp"
#include "fs/path_forms.hpp"

namespace tavo::fs {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A file on disk that is neither a folder nor a link, with this one name. A reparse point with a data tag (a
// cloud file of a synced Desktop, fs/reparse_tags.hpp) is a plain file; its tag is read on the same handle.
bool is_plain_file_of_its_own(HANDLE file) noexcept {
  if (sys::GetFileType(file) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!sys::GetFileInformationByHandle(file, &info)) return false;
  const DWORD refused = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE;
  if ((info.dwFileAttributes & refused) != 0 || info.nNumberOfLinks != 1) return false;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return true;
  FILE_ATTRIBUTE_TAG_INFO tag{};
  return sys::GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag) &&
         !win_reparse::is_link_by_tag(tag);
}

// Text mode as the C runtime writes it: every line feed reaches the disk as CR LF.
std::string with_crlf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

}  // namespace

bool write_text_file(const Path& path, std::string_view text) {
  // FILE_FLAG_OPEN_REPARSE_POINT: a link is opened itself, seen and left alone, never written through.
  // Nothing is truncated before the file has proven to be our own; others may go on reading it meanwhile.
  // FILE_READ_ATTRIBUTES: a reparse point's tag is read on this handle (FileAttributeTagInfo needs it).
  win::UniqueFileHandle file(sys::CreateFileW(system_path_text(path).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, kShareAll,
                                              nullptr, OPEN_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file || !is_plain_file_of_its_own(file.get()) ||
      !sys::SetEndOfFile(file.get()))
    return false;
  const std::string bytes = with_crlf(text);
  if (win_io::write_all(file.get(), bytes)) return false;
  return sys::CloseHandle(file.release()) != 0;
}

}  // namespace tavo::fs
