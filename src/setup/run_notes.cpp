#include "setup/run_notes.hpp"

#include "common/error.hpp"
#include "common/run_log.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/path_forms.hpp"
#include "tavo/build_config.hpp"

namespace tavo::setup {

void note_program() {
  run_log::note(std::string("TAVO-Setup ") + build_config::version +
                (build_config::windows ? " (Windows x64 build)" : " (native build)"));
}

void note_folder(std::string_view label, const fs::Path& path) {
  std::string line(label);
  line += ": " + run_log::quoted(path.text());
  const std::wstring system_form = fs::system_path_text(path);
  if (system_form != path.text()) line += ", handed to the system as " + run_log::quoted(system_form);
  run_log::note(line);
}

void note_failure(const std::exception& failure) {
  const auto* error = dynamic_cast<const Error*>(&failure);
  run_log::note("Failed: " + (error != nullptr ? message_with_reason(*error) : std::string(failure.what())));
  if (const auto* file_error = dynamic_cast<const fs::FileSystemError*>(&failure)) {
    std::string line = "Failed operation: " + file_error->operation() + ", system code " +
                       run_log::error_text(file_error->code());
    for (const fs::Path& path : file_error->paths()) line += ", " + run_log::quoted(path.text());
    run_log::note(line);
  } else if (const auto* system_error = dynamic_cast<const SystemError*>(&failure)) {
    run_log::note("System code " + run_log::error_text(system_error->code()));
  }
}

const char* program_name() noexcept { return build_config::windows ? "TAVO-Setup.exe" : "tavo-setup"; }

std::string usage_line() {
  return std::string("Usage: ") + program_name() +
         " [--prepare-only] [--target <folder>] [--log <file>]";
}

}  // namespace tavo::setup
