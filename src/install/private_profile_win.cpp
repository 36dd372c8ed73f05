#include "sys/calls_win.hpp"

#include <optional>
#include <string>

#include "sys/handles_win.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/path_forms.hpp"
#include "fs/write_all_win.hpp"
#include "install/private_profile.hpp"

namespace tavo::install {
namespace {

bool read_all(HANDLE file, std::string& bytes) {
  char buffer[16384];
  for (;;) {
    DWORD got = 0;
    if (!sys::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) return false;
    if (got == 0) return true;
    bytes.append(buffer, got);
  }
}

}  // namespace

bool write_private_profile_string(std::wstring_view section, std::wstring_view key, std::wstring_view value,
                                  const fs::Path& file) {
  std::wstring path;
  try {
    path = fs::system_path_text(file);  // no MAX_PATH limit, unlike WritePrivateProfileStringW
  } catch (const fs::FileSystemError&) {
    return false;
  }
  // A missing file is created, as by WritePrivateProfileStringW. A read-only file, or a folder, refuses the
  // opening for writing. Others may read meanwhile but not write between our reading and our writing.
  win::UniqueFileHandle handle(sys::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle || sys::GetFileType(handle.get()) != FILE_TYPE_DISK) return false;
  std::string bytes;
  if (!read_all(handle.get(), bytes)) return false;
  const std::optional<std::string> edited = with_private_profile_string(bytes, section, key, value);
  if (!edited) return false;
  LARGE_INTEGER start{};
  if (!sys::SetFilePointerEx(handle.get(), start, nullptr, FILE_BEGIN)) return false;
  if (fs::win_io::write_all(handle.get(), *edited) || !sys::SetEndOfFile(handle.get())) return false;
  return sys::CloseHandle(handle.release()) != 0;
}

}  // namespace tavo::install
