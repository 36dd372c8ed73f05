#include "sys/calls_win.hpp"

#include "common/system_error.hpp"
#include "sys/handles_win.hpp"
#include "sys/this_process.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/path_forms.hpp"
#include "fs/temporary_file.hpp"
#include "fs/write_all_win.hpp"

namespace tavo::fs {

TemporaryFile::~TemporaryFile() {
  if (!moved_) sys::DeleteFileW(path_.text().c_str());
}

std::error_code TemporaryFile::move_into_place() noexcept {
  // An editor, an indexer or a scanner may hold the old file for a moment: such a refusal is retried for up to
  // two seconds. MOVEFILE_WRITE_THROUGH is documented only for a move made as a copy and a delete; it does
  // not make this rename durable.
  constexpr int kAttempts = 20;
  constexpr unsigned kPauseMilliseconds = 100;
  std::error_code error;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (sys::MoveFileExW(path_.text().c_str(), final_path_.text().c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      moved_ = true;
      return {};
    }
    error = last_system_error();
    if (error != ErrorCondition::transient_rename) break;
    sleep_milliseconds(kPauseMilliseconds);
  }
  return error;
}

void replace_file(const Path& path, std::string_view bytes) {
  const Path target = long_path_form(path);
  const Path name = temporary_name_for(target);
  win::UniqueFileHandle handle(sys::CreateFileW(name.text().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) throw FileSystemError("write", last_system_error(), name);
  TemporaryFile file(name, target);
  std::error_code error = win_io::write_all(handle.get(), bytes);
  // Durable before visible: the rename must not put an empty or partial file in place after a power cut.
  if (!error && !sys::FlushFileBuffers(handle.get())) error = last_system_error();
  // Closed before the file is renamed or, after a failure, removed: Windows removes no file that is open
  // without delete sharing.
  handle.reset();
  if (error) throw FileSystemError("write", error, name);
  if ((error = file.move_into_place())) throw FileSystemError("rename", error, name, target);
}

}  // namespace tavo::fs
