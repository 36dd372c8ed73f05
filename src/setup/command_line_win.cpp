#include "sys/calls_win.hpp"

#include "common/local_memory_win.hpp"
#include "setup/command_line.hpp"

namespace tavo::setup {

std::optional<std::vector<std::wstring>> process_arguments(int /*argc*/, char** /*argv*/) {
  int count = 0;
  // CommandLineToArgvW applies the Windows rules for quotes and backslashes; the vector is freed with LocalFree.
  win::UniqueLocalMemory vector(sys::CommandLineToArgvW(sys::GetCommandLineW(), &count));
  if (!vector) return std::nullopt;
  std::vector<std::wstring> arguments;
  auto** argv = static_cast<wchar_t**>(vector.get());
  for (int i = 1; i < count; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}

}  // namespace tavo::setup

namespace tavo::setup {

std::wstring command_line_text(int /*argc*/, char** /*argv*/) { return sys::GetCommandLineW(); }

}  // namespace tavo::setup
