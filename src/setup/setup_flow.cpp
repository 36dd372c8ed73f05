#include "setup/setup_flow.hpp"

#include <exception>

#include "common/error.hpp"
#include "fs/path_forms.hpp"
#include "setup/command_line.hpp"
#include "setup/messages.hpp"
#include "setup/package_names.hpp"
#include "setup/progress_meter.hpp"
#include "verify/package_layout.hpp"

namespace tavo::setup {
namespace {

// Pairs CoInitializeEx with CoUninitialize on every way out of the guarded region.
class ComApartment {
 public:
  explicit ComApartment(SetupSystem& system)
      : system_(system), result_(system.initialize_com()) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (result_ >= 0) system_.uninitialize_com();
  }

 private:
  SetupSystem& system_;
  long result_;
};

struct Folders {
  fs::Path source_dir;
  fs::Path target_dir;
};

Folders settle_folders(SetupSystem& system, const fs::Path& exe_dir, const CommandLine& command_line) {
  Folders folders;
  folders.source_dir = fs::join(exe_dir, verify::kSourceFolderName);
  if (!system.has_original_software(folders.source_dir)) throw Error("Bundled original software missing");

  folders.target_dir = fs::Path(command_line.target);
  if (folders.target_dir.empty()) {
    const std::optional<fs::Path> documents = system.documents_folder();
    if (!documents) throw Error("Documents folder unavailable");
    folders.target_dir = fs::join(*documents, kDefaultTargetName);
  }

  folders.source_dir = fs::absolute_normal_form(folders.source_dir);
  // A trailing separator would put the staging folder ("<target>.vorbereitung-<pid>") inside the target.
  folders.target_dir = fs::without_trailing_separators(fs::absolute_normal_form(folders.target_dir));
  return folders;
}

}  // namespace

int run_setup(SetupSystem& system, ProgressView& progress_view) {
  fs::Path exe_dir;
  try {
    exe_dir = system.executable_directory();
  } catch (const std::exception&) {
    return 1;  // before the command line: there is no known place for the result file
  }

  // A command line that cannot be read is refused like a wrong one: a scripted run must not become an
  // interactive one with the default target.
  const std::optional<std::vector<std::wstring>> arguments = system.command_line_arguments();
  if (!arguments) return 2;
  const std::optional<CommandLine> command_line = scan_command_line(*arguments);
  if (!command_line) return 2;
  const bool prepare_only = command_line->prepare_only;
  const fs::Path result_file = fs::join(exe_dir, kResultFileName);

  ComApartment com(system);
  try {
    const Folders folders = settle_folders(system, exe_dir, *command_line);
    const std::wstring& target = folders.target_dir.text();

    if (!prepare_only &&
        system.show_message_box(confirmation_text(target), kConfirmationTitle, kConfirmationType) != kIdOk) {
      return 2;
    }

    std::uint32_t final_status = 0;
    {
      // Gone before any box, on every way out. It stays through the device check and the driver installer,
      // whose consent prompt it owns.
      std::optional<ShownProgress> progress;
      if (!prepare_only) progress.emplace(progress_view);
      system.prepare_installation(exe_dir, folders.source_dir, folders.target_dir);
      if (!prepare_only) final_status = system.ensure_driver_binding(folders.target_dir);
    }

    if (!prepare_only) {
      const std::wstring& text = final_status == 0 ? kBindingReadyText : kBindingMissingText;
      system.show_message_box(text + L"\n\n" + target, kTitle, kCompletionType);
    }

    system.write_result_file(result_file, kSuccessReport);
    return 0;
  } catch (const std::exception& failure) {
    system.write_result_file(result_file, failure_report(failure.what()));
    if (!prepare_only) system.show_message_box(kFailureText, kTitle, kFailureType);
    return 1;
  }
}

}  // namespace tavo::setup
