#pragma once
// Everything the setup flow asks of the world outside itself: the desktop, the installation and the device
// check. A test stands in for all of it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "fs/path.hpp"

namespace tavo::setup {

class SetupSystem {
 public:
  virtual ~SetupSystem() = default;

  virtual fs::Path executable_directory() = 0;
  // The arguments after the program's own path; nothing when the command line cannot be read.
  virtual std::optional<std::vector<std::wstring>> command_line_arguments() = 0;
  // The command line as received, for the log.
  virtual std::wstring command_line_text() = 0;
  virtual long initialize_com() = 0;
  virtual void uninitialize_com() = 0;
  virtual std::optional<fs::Path> documents_folder() = 0;
  virtual int show_message_box(const std::wstring& text, const std::wstring& title, unsigned type) = 0;
  virtual bool has_original_software(const fs::Path& source_dir) = 0;
  virtual void prepare_installation(const fs::Path& exe_dir, const fs::Path& source_dir,
                                    const fs::Path& target_dir) = 0;
  virtual std::uint32_t ensure_driver_binding(const fs::Path& target_dir) = 0;
  // A result file that cannot be written changes nothing else: the boxes and the exit status say the same. The
  // error only goes into the log.
  virtual std::error_code write_result_file(const fs::Path& file, const std::string& content) = 0;
  // The run's log unless the command line names a place (a name ending in ".log"); nothing when there is no
  // folder for it.
  virtual std::optional<fs::Path> default_log_file() = 0;
  // A line on the terminal that started the run (natively standard error; nothing on Windows).
  virtual void tell_terminal(std::string_view line) = 0;
};

// The real program's system, reading the command line from argc/argv (POSIX) or the process (Windows).
class RealSetupSystem final : public SetupSystem {
 public:
  RealSetupSystem(int argc, char** argv) : argc_(argc), argv_(argv) {}

  fs::Path executable_directory() override;
  std::optional<std::vector<std::wstring>> command_line_arguments() override;
  std::wstring command_line_text() override;
  long initialize_com() override;
  void uninitialize_com() override;
  std::optional<fs::Path> documents_folder() override;
  int show_message_box(const std::wstring& text, const std::wstring& title, unsigned type) override;
  bool has_original_software(const fs::Path& source_dir) override;
  void prepare_installation(const fs::Path& exe_dir, const fs::Path& source_dir, const fs::Path& target_dir) override;
  std::uint32_t ensure_driver_binding(const fs::Path& target_dir) override;
  std::error_code write_result_file(const fs::Path& file, const std::string& content) override;
  std::optional<fs::Path> default_log_file() override;
  void tell_terminal(std::string_view line) override;

 private:
  int argc_;
  char** argv_;
};

}  // namespace tavo::setup
