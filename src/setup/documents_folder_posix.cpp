#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "common/posix_fd.hpp"
#include "common/utf8.hpp"
#include "fs/path.hpp"
#include "setup/documents_folder.hpp"
#include "setup/user_dirs.hpp"

namespace tavo::setup {
namespace {

constexpr std::size_t kMaxUserDirsBytes = 1 << 20;

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The file's text when it is a regular file; opened without blocking, so a FIFO there cannot hold the run.
std::string read_user_dirs(const std::string& name) {
  posix::UniqueFd file(::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat status {};
  if (!file || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return {};
  std::string text(kMaxUserDirsBytes, '\0');
  std::size_t filled = 0;
  while (filled < text.size()) {
    const ssize_t got = ::read(file.get(), text.data() + filled, text.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    filled += static_cast<std::size_t>(got);
  }
  text.resize(filled);
  return text;
}

std::optional<std::string> xdg_documents_dir(const std::string& home) {
  std::string config = environment("XDG_CONFIG_HOME");
  if (config.empty()) {
    if (home.empty()) return std::nullopt;
    config = home + "/.config";
  }
  return documents_dir_from_user_dirs(read_user_dirs(config + "/user-dirs.dirs"), home);
}

}  // namespace

std::optional<fs::Path> documents_folder() {
  const std::string home = environment("HOME");
  if (auto xdg = xdg_documents_dir(home)) return fs::Path(wide_from_utf8(*xdg));
  if (home.empty()) return std::nullopt;
  return fs::join(fs::Path(wide_from_utf8(home)), L"Documents");
}

}  // namespace tavo::setup
