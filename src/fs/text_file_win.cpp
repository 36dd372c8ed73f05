#include "sys/calls_win.hpp"

#include "sys/handles_win.hpp"
#include "common/system_error.hpp"
#include "fs/reparse_tags_win.hpp"
#include "fs/text_file.hpp"
#include "fs/write_all_win.hpp"
#include "fs/path_forms.hpp"

namespace tavo::fs {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE as_handle(std::intptr_t handle) noexcept { return reinterpret_cast<HANDLE>(handle); }

// A file on disk that is neither a folder nor a link, with this one name. A reparse point with a data tag (a
// cloud file of a synced Desktop, fs/reparse_tags.hpp) is a plain file; its tag is read on the same handle.
std::error_code plain_file_of_its_own(HANDLE file) noexcept {
  if (sys::GetFileType(file) != FILE_TYPE_DISK) return std::make_error_code(std::errc::operation_not_supported);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!sys::GetFileInformationByHandle(file, &info)) return last_system_error();
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return std::make_error_code(std::errc::is_a_directory);
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0) {
    return std::make_error_code(std::errc::operation_not_supported);
  }
  if (info.nNumberOfLinks != 1) return std::make_error_code(std::errc::too_many_links);
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return {};
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!sys::GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag)) return last_system_error();
  if (win_reparse::is_link_by_tag(tag)) return std::make_error_code(std::errc::too_many_symbolic_link_levels);
  return {};
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

void OwnTextFileTraits::close(type handle) noexcept { sys::CloseHandle(as_handle(handle)); }

std::optional<OwnTextFile> OwnTextFile::create(const Path& path, bool new_only, std::error_code& error) {
  // FILE_FLAG_OPEN_REPARSE_POINT: a link is opened itself, seen and left alone, never written through.
  // Nothing is truncated before the file has proven to be our own; others may go on reading it meanwhile.
  // FILE_READ_ATTRIBUTES: a reparse point's tag is read on this handle (FileAttributeTagInfo needs it).
  win::UniqueFileHandle file(sys::CreateFileW(system_path_text(path).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                                              kShareAll, nullptr, new_only ? CREATE_NEW : OPEN_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) {
    error = last_system_error();
    return std::nullopt;
  }
  if ((error = plain_file_of_its_own(file.get()))) return std::nullopt;
  if (!sys::SetEndOfFile(file.get())) {
    error = last_system_error();
    return std::nullopt;
  }
  return OwnTextFile(reinterpret_cast<std::intptr_t>(file.release()));
}

std::error_code OwnTextFile::write(std::string_view text) noexcept {
  try {
    return win_io::write_all(as_handle(handle_.get()), with_crlf(text));
  } catch (const std::bad_alloc&) {
    return std::make_error_code(std::errc::not_enough_memory);
  }
}

std::error_code OwnTextFile::close() noexcept {
  if (!sys::CloseHandle(as_handle(handle_.release()))) return last_system_error();
  return {};
}

}  // namespace tavo::fs
