#include "stand_in_tools.hpp"

#include <filesystem>
#include <sstream>

#include "common/utf8.hpp"
#include "support/test_support.hpp"
#include "tavo/build_config.hpp"

namespace tavo::test {
namespace {

// The files of the stand-in are named after it without ".exe", next to it.
fs::Path beside(const fs::Path& path, std::wstring_view suffix) {
  std::wstring name = path.text();
  if (name.size() > 4 && name.compare(name.size() - 4, 4, L".exe") == 0) name.resize(name.size() - 4);
  return fs::Path(name + std::wstring(suffix));
}

}  // namespace

fs::Path recording_tool() {
  std::wstring folder = wide_from_utf8(TAVO_TEST_TOOLS_DIR);
  // Under Wine the build folder's Linux path lies on drive Z:.
  if (build_config::windows && !folder.empty() && folder.front() == L'/') {
    for (wchar_t& c : folder) c = c == L'/' ? L'\\' : c;
    folder = L"Z:" + folder;
  }
  return fs::join(fs::Path(folder), build_config::windows ? L"recording_tool.exe" : L"recording_tool");
}

void place_tool(const fs::Path& path, const std::optional<std::string>& exit_code) {
  make_directories(fs::parent(path));
  std::filesystem::copy_file(std_path(recording_tool()), std_path(path));
  if (exit_code) write_file(beside(path, L".exitcode"), *exit_code);
}

std::vector<ToolCall> tool_calls(const fs::Path& path) {
  std::vector<ToolCall> calls;
  const fs::Path record = beside(path, L".calls.txt");
  if (!exists(record)) return calls;
  std::istringstream lines(read_file(record));
  std::string line;
  while (std::getline(lines, line)) {
    if (line == "start") {
      calls.emplace_back();
      continue;
    }
    if (calls.empty()) continue;
    const std::size_t equals = line.find('=');
    const std::string key = line.substr(0, equals);
    const std::string value = equals == std::string::npos ? std::string() : line.substr(equals + 1);
    if (key == "cwd") calls.back().cwd = value;
    if (key == "arg") calls.back().arguments.push_back(value);
    if (key == "command_line") calls.back().command_line = value;
    if (key == "stdin") calls.back().stdin_state = value;
  }
  return calls;
}

std::string tool_output(const fs::Path& path) {
  std::string name = utf8_from_wide(beside(path, L"").text());
  name = name.substr(name.find_last_of("/\\") + 1);
  return name + ": out 1\n" + name + ": err\n" + name + ": out 2\n";
}

}  // namespace tavo::test
