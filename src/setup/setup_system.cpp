#include "setup/setup_system.hpp"

#include "fs/path_forms.hpp"
#include "fs/text_file.hpp"
#include "install/transaction.hpp"
#include "setup/com.hpp"
#include "setup/command_line.hpp"
#include "setup/documents_folder.hpp"
#include "setup/log_place.hpp"
#include "setup/terminal.hpp"
#include "sys/this_process.hpp"
#include "setup/driver_binding.hpp"
#include "setup/message_box.hpp"
#include "verify/original_software.hpp"

namespace tavo::setup {

fs::Path RealSetupSystem::executable_directory() { return fs::executable_directory(); }

std::optional<std::vector<std::wstring>> RealSetupSystem::command_line_arguments() {
  return process_arguments(argc_, argv_);
}

std::wstring RealSetupSystem::command_line_text() { return setup::command_line_text(argc_, argv_); }

long RealSetupSystem::initialize_com() { return setup::initialize_com(); }

void RealSetupSystem::uninitialize_com() { setup::uninitialize_com(); }

std::optional<fs::Path> RealSetupSystem::documents_folder() { return setup::documents_folder(); }

int RealSetupSystem::show_message_box(const std::wstring& text, const std::wstring& title, unsigned type) {
  return setup::show_message_box(text, title, type);
}

bool RealSetupSystem::has_original_software(const fs::Path& source_dir) {
  return verify::has_original_software(source_dir);
}

void RealSetupSystem::prepare_installation(const fs::Path& exe_dir, const fs::Path& source_dir,
                                           const fs::Path& target_dir) {
  install::prepare_installation(exe_dir, source_dir, target_dir);
}

std::uint32_t RealSetupSystem::ensure_driver_binding(const fs::Path& target_dir) {
  return setup::ensure_driver_binding(target_dir);
}

std::error_code RealSetupSystem::write_result_file(const fs::Path& file, const std::string& content) {
  return fs::write_own_text_file(file, content);
}

std::optional<fs::Path> RealSetupSystem::default_log_file() {
  return setup::default_log_file(current_process_id());
}

void RealSetupSystem::tell_terminal(std::string_view line) { setup::tell_terminal(line); }

}  // namespace tavo::setup
