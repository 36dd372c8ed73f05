#include "sys/calls_win.hpp"

#include <vector>

#include "common/system_error.hpp"
#include "common/error.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/path_forms.hpp"

namespace tavo::fs {

Path executable_directory() {
  constexpr DWORD kSize = 32768;
  std::vector<wchar_t> buffer(kSize, L'\0');
  const DWORD length = sys::GetModuleFileNameW(nullptr, buffer.data(), kSize);
  if (length == 0 || length >= kSize) throw Error("Executable path unavailable");
  return parent(Path(std::wstring(buffer.data(), length)));
}

Path absolute(const Path& path) {
  if (path.empty()) return path;
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = sys::GetFullPathNameW(path.text().c_str(), static_cast<DWORD>(buffer.size()), buffer.data(),
                                            nullptr);
    if (length == 0) throw FileSystemError("absolute", last_system_error(), path);
    if (length < buffer.size()) return Path(std::wstring(buffer.data(), length));
    buffer.resize(length);  // the call reported the size it needs, terminator included
  }
}

Path launch_form(const Path& path, std::size_t limit) {
  if (path.text().size() < limit) return path;
  // GetShortPathNameW takes the long-path form (learn.microsoft.com: "prepend \\?\ to the path") and keeps it.
  const std::wstring full = system_path_text(path);
  std::vector<wchar_t> buffer(full.size() + 1);
  for (;;) {
    const DWORD length = sys::GetShortPathNameW(full.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return path;  // no short name: the plain path, refused as a launch
    if (length < buffer.size()) {
      std::wstring text(buffer.data(), length);
      if (text.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        text.replace(0, 8, L"\\\\");
      } else if (text.rfind(L"\\\\?\\", 0) == 0) {
        text.erase(0, 4);
      }
      return text.size() < limit ? Path(std::move(text)) : path;
    }
    buffer.resize(length);  // the size it needs, terminator included
  }
}

}  // namespace tavo::fs
