#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fs/path.hpp"

namespace tavo::package {

enum class Action { help, manifest, check, release };

struct Command {
  Action action = Action::help;
  bool payload = false;  // manifest of a payload folder
  fs::Path folder;       // the folder of manifest, the package folder of check and release
  fs::Path archive;      // release only
};

// Reads the arguments after the program name:
//   manifest [--payload] <folder> | check <package-folder> | release <package-folder> <archive.zip> | --help
// "--help" anywhere asks for the usage. Nothing for any other command line; "release" only where releases
// are made (the Linux build).
std::optional<Command> read_command_line(const std::vector<std::wstring>& arguments);

// What is wrong with a refused command line, in one line ("unknown command \"pack\""); empty when it is
// not refused.
std::string refusal_text(const std::vector<std::wstring>& arguments);

// The usage text, with the program's name.
std::string usage_text();

}  // namespace tavo::package
