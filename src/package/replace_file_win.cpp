#include "sys/calls_win.hpp"

#include <algorithm>
#include <string>

#include "common/system_error.hpp"
#include "sys/handles_win.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/path_forms.hpp"
#include "package/replace_file.hpp"
#include "package/temporary_file.hpp"

namespace tavo::package {
namespace {


void write_all(HANDLE file, std::string_view bytes, const fs::Path& path) {
  while (!bytes.empty()) {
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!sys::WriteFile(file, bytes.data(), wanted, &written, nullptr)) {
      throw fs::FileSystemError("write", last_system_error(), path);
    }
    bytes.remove_prefix(written);
  }
}

}  // namespace

void replace_file(const fs::Path& path, std::string_view bytes) {
  const fs::Path target = fs::long_path_form(path);
  const fs::Path name = TemporaryFile::name_for(target);
  win::UniqueFileHandle handle(
      sys::CreateFileW(name.text().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) throw fs::FileSystemError("write", last_system_error(), name);
  TemporaryFile file(target);
  write_all(handle.get(), bytes, name);
  if (!sys::FlushFileBuffers(handle.get())) throw fs::FileSystemError("write", last_system_error(), name);
  handle.reset();
  file.move_into_place();
}

}  // namespace tavo::package
