#include "setup/command_line.hpp"

#include "tavo/build_config.hpp"

namespace tavo::setup {

std::optional<CommandLine> scan_command_line(const std::vector<std::wstring>& arguments) {
  CommandLine result;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    if (argument == L"--prepare-only") {
      result.prepare_only = true;
    } else if (argument == L"--source" || argument == L"--target") {
      // The value is the next argument, whatever it looks like; "--source" is read and not used.
      if (i + 1 == arguments.size()) return std::nullopt;
      ++i;
      if (argument != L"--target") continue;
      // No Windows name holds a quotation mark: one in a target is what Windows' splitting makes of a
      // backslash before a closing quote ("D:\Ziel\" arrives as D:\Ziel"), not a folder the user meant.
      if (build_config::windows && arguments[i].find(L'"') != std::wstring::npos) return std::nullopt;
      result.target = arguments[i];
    } else {
      return std::nullopt;
    }
  }
  return result;
}

}  // namespace tavo::setup
