#include "setup/setup_flow.hpp"

#include <exception>

#include "common/error.hpp"
#include "common/run_log.hpp"
#include "fs/path_forms.hpp"
#include "setup/command_line.hpp"
#include "setup/messages.hpp"
#include "setup/package_names.hpp"
#include "setup/progress_meter.hpp"
#include "setup/run_log_file.hpp"
#include "setup/run_notes.hpp"
#include "tavo/build_config.hpp"
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
    note_folder("Documents folder", *documents);
    folders.target_dir = fs::join(*documents, kDefaultTargetName);
  } else {
    note_folder("Target as given", folders.target_dir);
  }

  folders.source_dir = fs::absolute_normal_form(folders.source_dir);
  // A trailing separator would put the staging folder ("<target>.vorbereitung-<pid>") inside the target.
  folders.target_dir = fs::without_trailing_separators(fs::absolute_normal_form(folders.target_dir));
  note_folder("Original software", folders.source_dir);
  note_folder("Target", folders.target_dir);
  return folders;
}

// Puts the log where the command line names it, else (or when that place is refused) in the temporary folder;
// never in the package or the target. Tried once per run.
class LogPlacing {
 public:
  LogPlacing(RunLogFile& log, SetupSystem& system) : log_(log), system_(system) {}

  void place(const std::wstring& requested, const std::vector<fs::Path>& kept_out) noexcept {
    if (tried_) return;
    tried_ = true;
    try {
      std::string refused;
      if (!requested.empty()) {
        const fs::Path file = fs::absolute_normal_form(fs::Path(requested));
        refused = "The log could not be written to " + run_log::quoted(file.text()) + ": ";
        if (lies_in_any(file, kept_out)) {
          refused += "inside the package or the target";
        } else {
          const std::error_code error = log_.place(file, false);
          if (!error) return;
          refused += run_log::error_text(error);
        }
      }
      if (!place_default(kept_out)) {
        log_.give_up();
        return;
      }
      if (!refused.empty()) run_log::note(refused);
    } catch (const std::exception&) {
      log_.give_up();
    }
  }

 private:
  // A new file in the temporary folder; a name taken already (a run of the same second and process id: Wine
  // reuses ids) gets a number.
  bool place_default(const std::vector<fs::Path>& kept_out) {
    const std::optional<fs::Path> file = system_.default_log_file();
    if (!file) return false;
    const std::wstring& text = file->text();
    const std::wstring stem = text.substr(0, text.size() - std::wstring_view(L".log").size());
    for (int number = 1; number <= kNamesTried; ++number) {
      const fs::Path name = number == 1 ? *file : fs::Path(stem + L"-" + std::to_wstring(number) + L".log");
      if (number == 1 && lies_in_any(name, kept_out)) return false;
      const std::error_code error = log_.place(name, true);
      if (!error) return true;
      if (error != std::errc::file_exists) return false;
    }
    return false;
  }

  static constexpr int kNamesTried = 9;
  RunLogFile& log_;
  SetupSystem& system_;
  bool tried_ = false;
};

// The last lines of every run.
int ended(int status, const char* how) {
  run_log::note(std::string("Exit status ") + std::to_string(status) + " (" + how + ")");
  return status;
}

}  // namespace

int run_setup(SetupSystem& system, ProgressView& progress_view) {
  RunLogFile log;
  const run_log::Recording recording(log);
  LogPlacing log_place(log, system);
  note_program();
  try {
    run_log::note("Command line: " + run_log::unquoted(system.command_line_text()));
  } catch (const std::exception&) {
    // Only the log misses it.
  }

  fs::Path exe_dir;
  try {
    exe_dir = system.executable_directory();
  } catch (const std::exception& failure) {
    note_failure(failure);
    log_place.place({}, {});
    return ended(1, "the program's folder is unknown, so there is no place for the result file");
  }
  note_folder("Program folder", exe_dir);

  // A command line that cannot be read is refused like a wrong one: a scripted run must not become an
  // interactive one with the default target.
  const std::optional<std::vector<std::wstring>> arguments = system.command_line_arguments();
  Refusal refusal{"the command line cannot be split into arguments", {}};
  const std::optional<CommandLine> command_line =
      arguments ? scan_command_line(*arguments, &refusal) : std::optional<CommandLine>();
  if (!command_line) {
    log_place.place(refusal.log, {exe_dir});
    run_log::note("Command line refused: " + refusal.reason);
    run_log::note(usage_line());
    system.tell_terminal(std::string(program_name()) + ": command line refused: " + refusal.reason);
    system.tell_terminal(usage_line());
    return ended(2, build_config::windows ? "command line refused; no console, no box, no result file"
                                          : "command line refused; no box, no result file");
  }
  const bool prepare_only = command_line->prepare_only;
  run_log::note(prepare_only ? "Mode: --prepare-only (no boxes, no device check)" : "Mode: interactive");
  const fs::Path result_file = fs::join(exe_dir, kResultFileName);
  const auto report = [&](const std::string& content) {
    if (const std::error_code error = system.write_result_file(result_file, content)) {
      run_log::note("Result file not written: " + run_log::quoted(result_file.text()) + ": " +
                    run_log::error_text(error));
    } else {
      run_log::note("Result file written: " + run_log::quoted(result_file.text()));
    }
  };

  ComApartment com(system);
  try {
    const Folders folders = settle_folders(system, exe_dir, *command_line);
    log_place.place(command_line->log, {exe_dir, folders.target_dir});
    const std::wstring& target = folders.target_dir.text();

    if (!prepare_only &&
        system.show_message_box(confirmation_text(target), kConfirmationTitle, kConfirmationType) != kIdOk) {
      return ended(2, "not confirmed");
    }
    if (!prepare_only) run_log::note("Confirmed");

    std::uint32_t final_status = 0;
    {
      // Gone before any box, on every way out. It stays through the device check and the driver installer,
      // whose consent prompt it owns.
      std::optional<ShownProgress> progress;
      if (!prepare_only) progress.emplace(progress_view);
      {
        const run_log::Step step("Installation");
        system.prepare_installation(exe_dir, folders.source_dir, folders.target_dir);
      }
      if (!prepare_only) {
        const run_log::Step step("Driver binding");
        final_status = system.ensure_driver_binding(folders.target_dir);
        run_log::note("Final status of the driver binding: " + std::to_string(final_status));
      }
    }

    if (!prepare_only) {
      const std::wstring& text = final_status == 0 ? kBindingReadyText : kBindingMissingText;
      run_log::note(final_status == 0 ? "Completion box: driver binding ready"
                                      : "Completion box: driver binding missing");
      system.show_message_box(text + L"\n\n" + target, kTitle, kCompletionType);
    }

    report(kSuccessReport);
    run_log::note("Result: OK");
    return ended(0, "prepared");
  } catch (const std::exception& failure) {
    log_place.place(command_line->log, {exe_dir});
    note_failure(failure);
    report(failure_report(failure.what()));
    if (!prepare_only) {
      run_log::note("Failure box shown");
      system.show_message_box(kFailureText, kTitle, kFailureType);
    } else {
      run_log::note(build_config::windows ? "Message not shown: no console, and no box with --prepare-only"
                                          : "Message shown on standard error");
      system.tell_terminal(failure.what());
    }
    return ended(1, "failed");
  }
}

}  // namespace tavo::setup
