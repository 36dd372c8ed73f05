// Reads the setup's progress window, for end-to-end tests of the Windows build under Wine. Prints, in UTF-8,
// when the window is there and visible:
//   title=<window title>
//   phase=<phase text>
//   amount=<amount text>
//   position=<bar position, 0 to 1000>
//   marquee=<1 while the bar has no total, else 0>
// and nothing when there is no such window. With the argument "close" it first asks the window to close, as its
// close button does (WM_CLOSE, answered before the reading). Off Windows there is none: it prints nothing and
// exits with 2.
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include "tool_text.hpp"

namespace {

using tool_text::utf8;

std::string window_text(HWND window) {
  wchar_t buffer[512];
  const LRESULT length = SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
  return utf8(std::wstring(buffer, static_cast<std::size_t>(length)));
}

std::wstring class_of(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

struct Controls {
  std::vector<HWND> texts;
  HWND bar = nullptr;
};

BOOL CALLBACK collect_control(HWND control, LPARAM out) {
  auto& controls = *reinterpret_cast<Controls*>(out);
  const std::wstring name = class_of(control);
  if (name == L"Static") controls.texts.push_back(control);
  if (name == PROGRESS_CLASSW) controls.bar = control;
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // The window class of src/setup/progress_view_win.cpp.
  const HWND window = FindWindowW(L"TavoSetupProgress", nullptr);
  if (window == nullptr || !IsWindowVisible(window)) return 0;
  if (argc > 1 && std::wstring(argv[1]) == L"close") SendMessageW(window, WM_CLOSE, 0, 0);
  if (!IsWindow(window) || !IsWindowVisible(window)) return 0;
  Controls controls;
  EnumChildWindows(window, collect_control, reinterpret_cast<LPARAM>(&controls));
  std::string block = "title=" + window_text(window) + "\n";
  if (controls.texts.size() == 2 && controls.bar != nullptr) {
    const LONG_PTR style = GetWindowLongPtrW(controls.bar, GWL_STYLE);
    block += "phase=" + window_text(controls.texts[0]) + "\namount=" + window_text(controls.texts[1]) +
             "\nposition=" + std::to_string(SendMessageW(controls.bar, PBM_GETPOS, 0, 0)) +
             "\nmarquee=" + ((style & PBS_MARQUEE) != 0 ? "1" : "0") + "\n";
  }
  if (!IsWindow(window)) return 0;  // it went while it was read: what was read may be empty
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
  return 0;
}

#else

int main() { return 2; }

#endif
