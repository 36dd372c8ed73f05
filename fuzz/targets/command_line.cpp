// The scan of the setup's arguments on any argument list.
//
// Input: the arguments, each ended by a NUL; each byte is one character.
// Properties: a refused list stays refused whatever follows it, unless it only lacked an option's value; an
// accepted list says what its last "--target" value and any "--prepare-only" say; the options that it
// amounts to give the same result; one more option after it overrides as documented.
#include <optional>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "setup/command_line.hpp"

namespace tavo::fuzz {
namespace {

using setup::CommandLine;
using setup::scan_command_line;

bool same(const std::optional<CommandLine>& a, const std::optional<CommandLine>& b) {
  if (a.has_value() != b.has_value()) return false;
  return !a || (a->prepare_only == b->prepare_only && a->target == b->target);
}

std::vector<std::wstring> plus(std::vector<std::wstring> arguments, std::initializer_list<const wchar_t*> more) {
  for (const wchar_t* argument : more) arguments.emplace_back(argument);
  return arguments;
}

void check_scan(const std::vector<std::wstring>& arguments) {
  const std::optional<CommandLine> scanned = scan_command_line(arguments);
  const bool wants_value = !arguments.empty() && (arguments.back() == L"--source" || arguments.back() == L"--target");

  if (!scanned) {
    // Refused for an unknown word, or for an option without its value at the end.
    const std::optional<CommandLine> extended = scan_command_line(plus(arguments, {L"x"}));
    check(!extended || wants_value, "a refusal for an unknown word stays");
    check(!scan_command_line(plus(arguments, {L"--prepare-only"})) || wants_value, "nothing after it helps");
    return;
  }

  std::vector<std::wstring> canonical;
  if (scanned->prepare_only) canonical.emplace_back(L"--prepare-only");
  if (!scanned->target.empty()) canonical.insert(canonical.end(), {L"--target", scanned->target});
  check(same(scan_command_line(canonical), scanned), "the options an accepted list amounts to say the same");

  bool any_prepare_only = false;
  for (const std::wstring& argument : arguments) any_prepare_only |= argument == L"--prepare-only";
  if (!any_prepare_only) check(!scanned->prepare_only, "\"--prepare-only\" is only set by itself");
  if (!scanned->target.empty()) {
    bool after_target = false;
    for (std::size_t i = 1; i < arguments.size(); ++i)
      after_target |= arguments[i - 1] == L"--target" && arguments[i] == scanned->target;
    check(after_target, "the target is a value given after \"--target\"");
  }

  const std::optional<CommandLine> retargeted = scan_command_line(plus(arguments, {L"--target", L"--prepare-only"}));
  check(retargeted && retargeted->target == L"--prepare-only" && retargeted->prepare_only == scanned->prepare_only,
        "the last \"--target\" wins and takes any word as its value");
  const std::optional<CommandLine> prepared =
      scan_command_line(plus(arguments, {L"--prepare-only", L"--source", L"--target"}));
  check(prepared && prepared->prepare_only && prepared->target == scanned->target,
        "\"--source\" takes its value and changes nothing");
  check(!scan_command_line(plus(arguments, {L"--target"})), "an option without its value refuses");
  check(!scan_command_line(plus(arguments, {L"--Prepare-Only"})), "option words are compared exactly");
}

}  // namespace
}  // namespace tavo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavo::fuzz;
  std::vector<std::wstring> arguments;
  std::string_view bytes = bytes_of(data, size);
  while (!bytes.empty()) {
    const std::size_t nul = bytes.find('\0');
    arguments.push_back(wide_from_bytes(bytes.substr(0, nul)));
    if (nul == std::string_view::npos) break;
    bytes.remove_prefix(nul + 1);
  }
  check_scan(arguments);
  return 0;
}
