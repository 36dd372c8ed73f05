// Stands in for the package's device-check tool and driver installer; tests copy it under those names.
// It records how it was started, writes known text to standard output and standard error, and ends with the
// exit code the test chose. Its files lie beside it, named after it without ".exe" (an elevated launch does not
// reliably pass the environment on):
//   <name>.calls.txt  appended on every start: "start", "cwd=...", "arg=..." per argument,
//                     "command_line=..." (Windows: the raw command line), "stdin=null|other|closed"
//   <name>.exitcode   decimal exit code (default 0); POSIX also "signal <n>": the tool kills itself with it.
//                     The nearest one counts, beside the tool or in a folder above it, so that a test can choose
//                     the code of a tool that the program under test installs into a folder of its own.
// Output, unbuffered and byte for byte: "<name>: out 1\n" (stdout), "<name>: err\n" (stderr), "<name>: out 2\n".
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "tool_text.hpp"
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::string base_name_without_exe(const std::string& path) {
  std::string name = path.substr(path.find_last_of("/\\") + 1);
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0) name.resize(name.size() - 4);
  return name;
}

std::string folder_of(const std::string& path) { return path.substr(0, path.find_last_of("/\\") + 1); }

// The folder above a folder given with its trailing separator ("/a/b/" -> "/a/"); empty above the root.
std::string folder_above(const std::string& folder) {
  if (folder.size() < 2) return {};
  const std::size_t separator = folder.find_last_of("/\\", folder.size() - 2);
  return separator == std::string::npos ? std::string() : folder.substr(0, separator + 1);
}

std::string read_small_file(const std::string& path);
void append_file(const std::string& path, const std::string& text);

#ifdef _WIN32

using tool_text::utf8;
using tool_text::wide;

std::string own_path() {
  std::vector<wchar_t> buffer(32768);
  const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  return utf8(std::wstring(buffer.data(), length));
}

std::string current_directory() {
  std::vector<wchar_t> buffer(32768);
  const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
  return utf8(std::wstring(buffer.data(), length));
}

std::string read_small_file(const std::string& path) {
  std::string content;
  if (FILE* in = _wfopen(wide(path).c_str(), L"rb")) {
    char buffer[256];
    content.assign(buffer, std::fread(buffer, 1, sizeof buffer, in));
    std::fclose(in);
  }
  return content;
}

void append_file(const std::string& path, const std::string& text) {
  if (FILE* out = _wfopen(wide(path).c_str(), L"ab")) {
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
  }
}

std::string stdin_state() {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) return "closed";
  DWORD mode = 0;
  if (GetFileType(input) != FILE_TYPE_CHAR || GetConsoleMode(input, &mode)) return "other";
  char byte = 0;
  DWORD read = 0;
  return ReadFile(input, &byte, 1, &read, nullptr) && read == 0 ? "null" : "other";
}

void write_out(DWORD which, const std::string& text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(which), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
void write_stdout(const std::string& text) { write_out(STD_OUTPUT_HANDLE, text); }
void write_stderr(const std::string& text) { write_out(STD_ERROR_HANDLE, text); }

#else

std::string own_path() {
  std::vector<char> buffer(32768);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  return length > 0 ? std::string(buffer.data(), static_cast<std::size_t>(length)) : std::string();
}

std::string current_directory() {
  std::vector<char> buffer(32768);
  return getcwd(buffer.data(), buffer.size()) != nullptr ? std::string(buffer.data()) : std::string();
}

std::string read_small_file(const std::string& path) {
  std::string content;
  if (FILE* in = std::fopen(path.c_str(), "rb")) {
    char buffer[256];
    content.assign(buffer, std::fread(buffer, 1, sizeof buffer, in));
    std::fclose(in);
  }
  return content;
}

void append_file(const std::string& path, const std::string& text) {
  if (FILE* out = std::fopen(path.c_str(), "ab")) {
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
  }
}

std::string stdin_state() {
  struct stat input {};
  struct stat null_device {};
  if (fstat(STDIN_FILENO, &input) != 0) return "closed";
  if (stat("/dev/null", &null_device) == 0 && S_ISCHR(input.st_mode) && input.st_rdev == null_device.st_rdev) {
    return "null";
  }
  return "other";
}

void write_fd(int fd, const std::string& text) {
  if (write(fd, text.data(), text.size()) < 0) return;
}
void write_stdout(const std::string& text) { write_fd(STDOUT_FILENO, text); }
void write_stderr(const std::string& text) { write_fd(STDERR_FILENO, text); }

#endif

int finish(const std::string& self, const std::vector<std::string>& arguments, const std::string& command_line) {
  const std::string name = base_name_without_exe(self);
  const std::string stem = folder_of(self) + name;

  std::string record = "start\ncwd=" + current_directory() + "\n";
  for (const std::string& argument : arguments) record += "arg=" + argument + "\n";
  if (!command_line.empty()) record += "command_line=" + command_line + "\n";
  record += "stdin=" + stdin_state() + "\n";
  append_file(stem + ".calls.txt", record);

  write_stdout(name + ": out 1\n");
  write_stderr(name + ": err\n");
  write_stdout(name + ": out 2\n");

  std::string chosen;
  for (std::string folder = folder_of(self); !folder.empty() && chosen.empty(); folder = folder_above(folder)) {
    chosen = read_small_file(folder + name + ".exitcode");
  }
#ifndef _WIN32
  if (chosen.rfind("signal ", 0) == 0) {
    signal(std::atoi(chosen.c_str() + 7), SIG_DFL);
    raise(std::atoi(chosen.c_str() + 7));
  }
#endif
  return static_cast<int>(std::strtoul(chosen.c_str(), nullptr, 10));
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(utf8(argv[i]));
  return finish(own_path(), arguments, utf8(GetCommandLineW()));
}
#else
int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return finish(own_path(), arguments, "");
}
#endif
