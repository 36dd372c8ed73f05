#include <cstdlib>
#include <string>

#include "common/utf8.hpp"
#include "fs/input_file.hpp"
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
  std::optional<fs::InputFile> file = fs::InputFile::open(fs::Path(wide_from_utf8(name)));
  if (!file) return {};
  return file->read_up_to(kMaxUserDirsBytes).value_or(std::string());
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
