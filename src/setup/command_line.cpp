#include "setup/command_line.hpp"

#include "common/run_log.hpp"
#include "tavo/build_config.hpp"

namespace tavo::setup {

std::optional<CommandLine> scan_command_line(const std::vector<std::wstring>& arguments, Refusal* refusal) {
  CommandLine result;
  std::string reason;  // the first refusal; the scan goes on to find a "--log" for the log's sake
  const auto refuse = [&](std::string why) {
    if (reason.empty()) reason = std::move(why);
  };
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    if (argument == L"--prepare-only") {
      result.prepare_only = true;
    } else if (argument == L"--source" || argument == L"--target" || argument == L"--log") {
      // The value is the next argument, whatever it looks like; "--source" is read and not used.
      if (i + 1 == arguments.size()) {
        refuse(run_log::quoted(argument) + " without a value");
        break;
      }
      ++i;
      if (argument == L"--log") {
        result.log = arguments[i];
      } else if (argument == L"--target") {
        // No Windows name holds a quotation mark: one in a target is what Windows' splitting makes of a
        // backslash before a closing quote ("D:\Ziel\" arrives as D:\Ziel"), not a folder the user meant.
        if (build_config::windows && arguments[i].find(L'"') != std::wstring::npos) {
          refuse("a target with a quotation mark: " + run_log::quoted(arguments[i]));
        }
        result.target = arguments[i];
      }
    } else {
      refuse("unknown argument " + run_log::quoted(argument));
    }
  }
  if (reason.empty()) return result;
  if (refusal != nullptr) *refusal = Refusal{std::move(reason), std::move(result.log)};
  return std::nullopt;
}

}  // namespace tavo::setup
