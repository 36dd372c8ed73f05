#include <windows.h>

#include <algorithm>
#include <string>

#include "common/win_handles.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/path_forms.hpp"
#include "package/replace_file.hpp"

namespace tavo::package {
namespace {

// Removes the new file unless it has been renamed into place.
class NewFile {
 public:
  explicit NewFile(std::wstring name) : name_(std::move(name)) {}
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;
  ~NewFile() {
    if (!kept_) ::DeleteFileW(name_.c_str());
  }
  void keep() noexcept { kept_ = true; }

 private:
  std::wstring name_;
  bool kept_ = false;
};

int last_error() noexcept { return static_cast<int>(::GetLastError()); }

void write_all(HANDLE file, std::string_view bytes, const fs::Path& path) {
  while (!bytes.empty()) {
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), wanted, &written, nullptr)) throw fs::FileSystemError("write", last_error(), path);
    bytes.remove_prefix(written);
  }
}

}  // namespace

void replace_file(const fs::Path& path, std::string_view bytes) {
  const fs::Path target = fs::long_path_form(path);
  const fs::Path temporary = temporary_beside(target);
  win::UniqueHandle file(::CreateFileW(temporary.text().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw fs::FileSystemError("write", last_error(), temporary);
  NewFile new_file(temporary.text());
  write_all(file.get(), bytes, temporary);
  if (!::FlushFileBuffers(file.get())) throw fs::FileSystemError("write", last_error(), temporary);
  file.reset();
  if (!::MoveFileExW(temporary.text().c_str(), target.text().c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    throw fs::FileSystemError("rename", last_error(), temporary, target);
  }
  new_file.keep();
}

}  // namespace tavo::package
