#include "setup/child_process_posix.hpp"

#include "sys/calls_posix.hpp"

#include <cerrno>

namespace tavo::setup {

std::optional<pid_t> spawn_child(const std::string& path, const std::vector<std::string>& arguments,
                                 const posix_spawn_file_actions_t* actions) {
  std::vector<std::string> storage(arguments);
  std::vector<char*> argv;
  for (std::string& argument : storage) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t child = -1;
  if (const int error = sys::posix_spawn(&child, path.c_str(), actions, nullptr, argv.data(), environ)) {
    errno = error;  // posix_spawn returns its error instead of setting errno
    return std::nullopt;
  }
  return child;
}

std::uint32_t exit_code_of(int wait_status) noexcept {
  if (WIFEXITED(wait_status)) return static_cast<std::uint32_t>(WEXITSTATUS(wait_status));
  if (WIFSIGNALED(wait_status)) return 128u + static_cast<std::uint32_t>(WTERMSIG(wait_status));
  return 1;
}

std::optional<std::uint32_t> wait_for_child(pid_t child) noexcept {
  int wait_status = 0;
  pid_t result = -1;
  do {
    result = sys::waitpid(child, &wait_status, 0);
  } while (result == -1 && errno == EINTR);
  if (result != child) return std::nullopt;
  return exit_code_of(wait_status);
}

}  // namespace tavo::setup
