#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fs/path.hpp"

namespace tavo::setup {

class ProgressView;

// Everything the setup flow calls outside itself, so that a test can stand in for the desktop and for the
// later operations.
struct SetupOperations {
  std::function<fs::Path()> executable_directory;
  std::function<std::optional<std::vector<std::wstring>>()> command_line_arguments;  // nothing: unreadable
  std::function<long()> initialize_com;
  std::function<void()> uninitialize_com;
  std::function<std::optional<fs::Path>()> documents_folder;
  std::function<int(const std::wstring& text, const std::wstring& title, unsigned type)> show_message_box;
  std::function<bool(const fs::Path& source_dir)> has_original_software;
  std::function<void(const fs::Path& exe_dir, const fs::Path& source_dir, const fs::Path& target_dir)>
      prepare_installation;
  std::function<std::uint32_t(const fs::Path& target_dir)> ensure_driver_binding;
  std::function<void(const fs::Path& file, const std::string& content)> write_result_file;
};

// The operations of the real program, reading the command line from argc/argv (POSIX) or the process (Windows).
SetupOperations system_operations(int argc, char** argv);

// One whole run; returns the exit status: 0 prepared, 1 failed, 2 command line refused or not confirmed.
// The installation's progress is on progress_view from the confirmation until the installation has ended.
int run_setup(const SetupOperations& operations, ProgressView& progress_view);

}  // namespace tavo::setup
