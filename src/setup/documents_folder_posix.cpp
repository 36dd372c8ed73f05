#include <cstdlib>
#include <fstream>
#include <string>

#include "common/utf8.hpp"
#include "fs/path.hpp"
#include "setup/desktop.hpp"

namespace tavo::setup {
namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// XDG_DOCUMENTS_DIR="$HOME/Dokumente" from user-dirs.dirs; the value is "$HOME/..." or an absolute path.
std::optional<std::string> xdg_documents_dir(const std::string& home) {
  std::string config = environment("XDG_CONFIG_HOME");
  if (config.empty()) {
    if (home.empty()) return std::nullopt;
    config = home + "/.config";
  }
  std::ifstream in(config + "/user-dirs.dirs");
  std::string line;
  const std::string key = "XDG_DOCUMENTS_DIR=";
  std::optional<std::string> found;
  while (std::getline(in, line)) {
    std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
    std::string value = line.substr(start + key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) {
      if (home.empty()) continue;
      value = home + value.substr(5);
    } else if (value.empty() || value.front() != '/') {
      continue;
    }
    found = value;  // the last assignment wins, as in a shell
  }
  return found;
}

}  // namespace

std::optional<fs::Path> documents_folder() {
  const std::string home = environment("HOME");
  if (auto xdg = xdg_documents_dir(home)) return fs::Path(wide_from_utf8(*xdg));
  if (home.empty()) return std::nullopt;
  return fs::join(fs::Path(wide_from_utf8(home)), L"Documents");
}

}  // namespace tavo::setup
