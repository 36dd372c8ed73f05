#include "package/command_line.hpp"

#include <algorithm>

#include "common/utf8.hpp"
#include "tavo/build_config.hpp"

namespace tavo::package {
namespace {

constexpr const char* kProgramName = build_config::windows ? "TAVO-Paket.exe" : "tavo-package";

bool is_option(const std::wstring& argument) { return argument.size() > 1 && argument[0] == L'-'; }

}  // namespace

namespace {

std::string quoted(const std::wstring& argument) { return "\"" + utf8_from_wide(argument) + "\""; }

// The command of `arguments`, or nothing with `why` saying what was refused.
std::optional<Command> read(const std::vector<std::wstring>& arguments, std::string& why) {
  if (std::find(arguments.begin(), arguments.end(), L"--help") != arguments.end()) return Command{};
  if (arguments.empty()) {
    why = "no command given";
    return std::nullopt;
  }
  const std::wstring& name = arguments[0];
  Command command;
  std::size_t wanted = 1;
  if (name == L"manifest") {
    command.action = Action::manifest;
  } else if (name == L"check") {
    command.action = Action::check;
  } else if (name == L"release") {
    if (build_config::windows) {
      why = "release: archives are made by the Linux build of the package tool (tavo-package)";
      return std::nullopt;
    }
    command.action = Action::release;
    wanted = 2;
  } else {
    why = "unknown command " + quoted(name);
    return std::nullopt;
  }

  std::vector<std::wstring> operands;
  for (auto it = arguments.begin() + 1; it != arguments.end(); ++it) {
    if (*it == L"--payload" && command.action == Action::manifest && !command.payload) {
      command.payload = true;
    } else if (it->empty()) {
      why = utf8_from_wide(name) + ": an empty argument";
      return std::nullopt;
    } else if (is_option(*it)) {
      why = utf8_from_wide(name) + ": unknown option " + quoted(*it);
      return std::nullopt;
    } else {
      operands.push_back(*it);
    }
  }
  if (operands.size() != wanted) {
    why = utf8_from_wide(name) + (wanted == 1 ? ": one folder needed, " : ": a folder and an archive needed, ") +
          std::to_string(operands.size()) + " given";
    return std::nullopt;
  }
  command.folder = fs::Path(operands[0]);
  if (command.action == Action::release) command.archive = fs::Path(operands[1]);
  return command;
}

}  // namespace

std::optional<Command> read_command_line(const std::vector<std::wstring>& arguments) {
  std::string why;
  return read(arguments, why);
}

std::string refusal_text(const std::vector<std::wstring>& arguments) {
  std::string why;
  if (read(arguments, why)) return {};
  return why;
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
