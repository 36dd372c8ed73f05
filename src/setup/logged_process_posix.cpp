#include "sys/calls_posix.hpp"

#include <string>

#include "sys/handles_posix.hpp"
#include "common/error.hpp"
#include "common/run_log.hpp"
#include "common/system_error.hpp"
#include "common/utf8.hpp"
#include "fs/path_forms.hpp"
#include "setup/child_process_posix.hpp"
#include "setup/logged_process.hpp"

namespace tavo::setup {
namespace {

// Owns the list of descriptor and folder changes that the child makes before it runs the program.
class SpawnActions {
 public:
  SpawnActions() { ready_ = ::posix_spawn_file_actions_init(&actions_) == 0; }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  ~SpawnActions() {
    if (ready_) ::posix_spawn_file_actions_destroy(&actions_);
  }

  void duplicate(int fd, int target) { keep(ready_ && ::posix_spawn_file_actions_adddup2(&actions_, fd, target)); }
  void close(int fd) { keep(ready_ && ::posix_spawn_file_actions_addclose(&actions_, fd)); }
  void change_directory(const std::string& folder) {
    keep(ready_ && ::posix_spawn_file_actions_addchdir_np(&actions_, folder.c_str()));
  }
  // Nothing when an action could not be recorded: the child would then start in the wrong state.
  const posix_spawn_file_actions_t* get() const noexcept { return ready_ ? &actions_ : nullptr; }

 private:
  void keep(int failed) {
    if (failed != 0) {
      ::posix_spawn_file_actions_destroy(&actions_);
      ready_ = false;
    }
  }

  posix_spawn_file_actions_t actions_{};
  bool ready_ = false;
};

}  // namespace

std::uint32_t run_logged_process(const fs::Path& program, const std::wstring& argument, const fs::Path& log) {
  // Descriptors are close-on-exec; only the duplicates made for the child's standard handles reach it.
  posix::UniqueFd log_fd(sys::open(utf8_from_wide(log.text()).c_str(),
                                                         O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!log_fd) throw Error("Cannot create installation log");
  // Not checked: without it the tool starts with its standard input closed.
  posix::UniqueFd null_input(sys::open("/dev/null", O_RDONLY | O_CLOEXEC));

  // The child changes its folder before the program is looked up, so a relative program is made absolute
  // against ours first.
  const fs::Path absolute_program = fs::absolute(program);
  const std::string program_name = utf8_from_wide(absolute_program.text());

  SpawnActions actions;
  if (null_input) {
    actions.duplicate(null_input.get(), STDIN_FILENO);
  } else {
    actions.close(STDIN_FILENO);
  }
  actions.duplicate(log_fd.get(), STDOUT_FILENO);
  actions.duplicate(log_fd.get(), STDERR_FILENO);
  actions.change_directory(utf8_from_wide(fs::parent(absolute_program).text()));

  std::optional<pid_t> child;
  std::error_code launch_error;  // kept for the log
  if (actions.get() != nullptr) {
    child = spawn_child(program_name, {program_name, utf8_from_wide(argument)}, actions.get());
    if (!child) launch_error = last_system_error();
  }
  std::uint32_t exit_code = 1;
  if (child) {
    if (const std::optional<std::uint32_t> code = wait_for_child(*child)) exit_code = *code;
  }
  log_fd.reset();
  null_input.reset();
  // Raised only now, so that no descriptor stays open; the log exists and is empty.
  if (!child) {
    if (!launch_error) throw Error("Cannot start device helper");
    throw Error("Cannot start device helper", run_log::error_text(launch_error));
  }
  return exit_code;
}

}  // namespace tavo::setup
