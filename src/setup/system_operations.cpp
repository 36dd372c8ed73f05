#include "fs/path_forms.hpp"
#include "fs/text_file.hpp"
#include "install/transaction.hpp"
#include "setup/command_line.hpp"
#include "setup/desktop.hpp"
#include "setup/driver_binding.hpp"
#include "setup/setup_flow.hpp"
#include "verify/original_software.hpp"

namespace tavo::setup {

SetupOperations system_operations(int argc, char** argv) {
  SetupOperations operations;
  operations.executable_directory = [] { return fs::executable_directory(); };
  operations.command_line_arguments = [argc, argv] { return process_arguments(argc, argv); };
  operations.initialize_com = [] { return initialize_com(); };
  operations.uninitialize_com = [] { uninitialize_com(); };
  operations.documents_folder = [] { return documents_folder(); };
  operations.show_message_box = [](const std::wstring& text, const std::wstring& title, unsigned type) {
    return show_message_box(text, title, type);
  };
  operations.has_original_software = [](const fs::Path& folder) { return verify::has_original_software(folder); };
  operations.prepare_installation = [](const fs::Path& exe_dir, const fs::Path& source_dir,
                                       const fs::Path& target_dir) {
    install::prepare_installation(exe_dir, source_dir, target_dir);
  };
  operations.ensure_driver_binding = [](const fs::Path& target_dir) { return ensure_driver_binding(target_dir); };
  // A result file that cannot be written is not noticed: the boxes and the exit status say the same.
  operations.write_result_file = [](const fs::Path& file, const std::string& content) {
    (void)fs::write_text_file(file, content);
  };
  return operations;
}

}  // namespace tavo::setup
