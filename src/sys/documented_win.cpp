// Only in the test build: the shipped program plays no rules.
#if defined(TAVO_TEST_BUILD)

#include "sys/documented_win.hpp"

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <string>
#include <string_view>

#include "sys/documented_control_win.hpp"

namespace tavo::sys::documented {
namespace {

struct State {
  Rules rules;
  bool hold_started = false;
  ULONGLONG hold_start = 0;
  long held = 0;
};

Rules rules_from_environment();

State& state() {
  static State s{rules_from_environment()};
  return s;
}

// A whole run of the test-build program plays the rules named in TAVO_DOCUMENTED, one item per ';':
//   max_path | reparse=<name>:<tag> | rename_hold=<code>:<milliseconds>[:<holder>]
// (numbers in decimal or 0x hex; the holder is an application's name, ASCII)
Rules rules_from_environment() {
  Rules rules;
  const char* setting = std::getenv("TAVO_DOCUMENTED");
  if (setting == nullptr) return rules;
  const std::string text(setting);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    const std::string item = text.substr(start, end - start);
    start = end + 1;
    const std::size_t equals = item.find('=');
    const std::string key = item.substr(0, equals);
    const std::string value = equals == std::string::npos ? std::string() : item.substr(equals + 1);
    const std::size_t colon = value.rfind(':');
    const auto number = [&](std::size_t from) {
      return static_cast<DWORD>(std::strtoul(value.c_str() + from, nullptr, 0));
    };
    if (key == "max_path") {
      rules.max_path = true;
    } else if (key == "reparse" && colon != std::string::npos) {
      rules.reparse.push_back({std::wstring(value.begin(), value.begin() + static_cast<std::ptrdiff_t>(colon)),
                               number(colon + 1)});
    } else if (key == "rename_hold" && value.find(':') != std::string::npos) {
      const std::size_t first = value.find(':');
      const std::size_t second = value.find(':', first + 1);
      rules.rename_hold_error = number(0);
      rules.rename_hold_ms = number(first + 1);
      if (second != std::string::npos) rules.rename_holder.assign(value.begin() + second + 1, value.end());
    }
  }
  return rules;
}

bool equal_ignoring_case(std::wstring_view a, std::wstring_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  }
  return true;
}

std::wstring_view last_component(std::wstring_view path) noexcept {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.remove_suffix(1);
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

void mark(std::wstring_view name, DWORD& attributes, DWORD* reparse_tag) noexcept {
  for (const ReparseEntry& entry : state().rules.reparse) {
    if (!equal_ignoring_case(last_component(name), entry.name)) continue;
    attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    if (reparse_tag != nullptr) *reparse_tag = entry.tag;
    return;
  }
}

}  // namespace

// learn.microsoft.com/windows/win32/fileio/maximum-file-path-limitation: no LongPathsEnabled, no "\\?\", no MAX_PATH.
bool refuses_path(const wchar_t* path, std::size_t limit) noexcept {
  if (!state().rules.max_path || path == nullptr) return false;
  const std::wstring_view text(path);
  if (text.rfind(L"\\\\?\\", 0) == 0) return false;
  if (text.size() < limit) return false;
  ::SetLastError(limit == MAX_PATH ? ERROR_PATH_NOT_FOUND : ERROR_FILENAME_EXCED_RANGE);
  return true;
}

// learn.microsoft.com/windows/win32/fileio/reparse-point-tags: cloud files are reparse points (dwReserved0, handle).
void mark_entry(const wchar_t* name, DWORD& attributes, DWORD* reparse_tag) noexcept {
  if (name != nullptr && !state().rules.reparse.empty()) mark(name, attributes, reparse_tag);
}

void mark_handle(HANDLE handle, DWORD& attributes, DWORD* reparse_tag) noexcept {
  if (state().rules.reparse.empty()) return;
  wchar_t buffer[32768];
  const DWORD length = ::GetFinalPathNameByHandleW(handle, buffer, 32768, FILE_NAME_NORMALIZED);
  if (length == 0 || length >= 32768) return;
  mark(std::wstring_view(buffer, length), attributes, reparse_tag);
}

// learn.microsoft.com/windows/win32/fileio/creating-and-opening-files: a file held open blocks its folder's rename.
bool holds_rename(const wchar_t* from) noexcept {
  State& s = state();
  if (s.rules.rename_hold_error == 0 || from == nullptr) return false;
  const DWORD attributes = ::GetFileAttributesW(from);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
  const ULONGLONG now = ::GetTickCount64();
  if (!s.hold_started) {
    s.hold_started = true;
    s.hold_start = now;
  }
  if (now - s.hold_start >= s.rules.rename_hold_ms) return false;
  ++s.held;
  ::SetLastError(s.rules.rename_hold_error);
  return true;
}

// learn.microsoft.com/windows/win32/api/restartmanager/nf-restartmanager-rmgetlist: ERROR_MORE_DATA with the
// count needed while the array is too small; the application's name in strAppName.
bool plays_holder(UINT* needed, UINT* count, RM_PROCESS_INFO* applications, DWORD* reboot_reasons,
                  DWORD& result) noexcept {
  State& s = state();
  const std::wstring& holder = s.rules.rename_holder;
  if (holder.empty()) return false;
  if (s.hold_started && ::GetTickCount64() - s.hold_start >= s.rules.rename_hold_ms) return false;
  if (needed == nullptr || count == nullptr || reboot_reasons == nullptr) {
    result = ERROR_BAD_ARGUMENTS;
    return true;
  }
  *needed = 1;
  *reboot_reasons = RmRebootReasonNone;
  if (*count < 1 || applications == nullptr) {
    result = ERROR_MORE_DATA;
    return true;
  }
  RM_PROCESS_INFO& application = applications[0];
  application = RM_PROCESS_INFO{};
  application.Process.dwProcessId = 4711;
  holder.copy(application.strAppName, std::min<std::size_t>(holder.size(), CCH_RM_MAX_APP_NAME));
  application.ApplicationType = RmUnknownApp;
  application.AppStatus = RmStatusRunning;
  *count = 1;
  result = ERROR_SUCCESS;
  return true;
}

void enforce(const Rules& rules) { state() = State{rules, false, 0, 0}; }

long held_renames() noexcept { return state().held; }

}  // namespace tavo::sys::documented

#endif
