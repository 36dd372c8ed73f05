#include "setup/elevation_command_posix.hpp"

#include "sys/calls_posix.hpp"

#include <string_view>

namespace tavo::setup {

std::vector<std::string> elevation_command(const std::string& program, bool running_as_root,
                                           const char* search_path) {
  if (running_as_root) return {program};
  if (search_path == nullptr) return {};
  std::string_view rest(search_path);
  while (true) {
    const std::size_t colon = rest.find(':');
    const std::string_view folder = rest.substr(0, colon);
    // An empty PATH element means the current folder; it is not searched for a program that grants root.
    if (!folder.empty() && folder.front() == '/') {
      std::string candidate(folder);
      if (candidate.back() != '/') candidate += '/';
      candidate += "pkexec";
      if (sys::access(candidate.c_str(), X_OK) == 0) return {candidate, program};
    }
    if (colon == std::string_view::npos) return {};
    rest.remove_prefix(colon + 1);
  }
}

}  // namespace tavo::setup
