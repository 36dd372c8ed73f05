#include "package/command_line.hpp"

#include <algorithm>

#include "tavo/build_config.hpp"

namespace tavo::package {
namespace {

constexpr const char* kProgramName = build_config::windows ? "TAVO-Paket.exe" : "tavo-package";

bool is_option(const std::wstring& argument) { return argument.size() > 1 && argument[0] == L'-'; }

}  // namespace

std::optional<Command> read_command_line(const std::vector<std::wstring>& arguments) {
  if (std::find(arguments.begin(), arguments.end(), L"--help") != arguments.end()) return Command{};
  if (arguments.empty()) return std::nullopt;

  Command command;
  std::vector<std::wstring> operands;
  for (auto it = arguments.begin() + 1; it != arguments.end(); ++it) {
    if (*it == L"--payload" && arguments[0] == L"manifest" && !command.payload) {
      command.payload = true;
    } else if (is_option(*it) || it->empty()) {
      return std::nullopt;
    } else {
      operands.push_back(*it);
    }
  }

  if (arguments[0] == L"manifest" && operands.size() == 1) {
    command.action = Action::manifest;
  } else if (arguments[0] == L"check" && operands.size() == 1) {
    command.action = Action::check;
  } else if (arguments[0] == L"release" && operands.size() == 2 && !build_config::windows) {
    command.action = Action::release;
    command.archive = fs::Path(operands[1]);
  } else {
    return std::nullopt;
  }
  command.folder = fs::Path(operands[0]);
  return command;
}

std::string usage_text() {
  const std::string name = kProgramName;
  std::string text = "Usage:\n"
                     "  " + name + " manifest [--payload] <folder>\n"
                     "      writes <folder>/SHA256SUMS.txt as the setup reads it (--payload: the payload folder)\n"
                     "  " + name + " check <package-folder>\n"
                     "      runs the setup's checks on the package and lists every problem; writes nothing\n";
  if (!build_config::windows) {
    text += "  " + name + " release <package-folder> <archive.zip>\n"
            "      checks the package and, when it passes, writes it into a zip archive\n";
  }
  text += "  " + name + " --help\n"
          "Exit status: 0 ok, 1 problems found or a failure, 2 command line refused.\n";
  return text;
}

}  // namespace tavo::package
