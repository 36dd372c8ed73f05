// Reads the message boxes that are open on the desktop, for end-to-end tests of the Windows build under Wine.
// Prints one block per visible dialog window (class "#32770"), in UTF-8, texts with backslash, CR and LF
// escaped as \\, \r and \n:
//   title=<window title>
//   button=<caption>     one line per button, in window order
//   text=<message>       the message's static text
//   end
// Off Windows there are no such boxes: it prints nothing and exits with 2.
#include <string>

#ifdef _WIN32
#include <windows.h>

#include "tool_text.hpp"

namespace {

using tool_text::utf8;

std::string escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

// WM_GETTEXT works across processes for the standard controls.
std::string window_text(HWND window) {
  wchar_t buffer[8192];
  const LRESULT length = SendMessageW(window, WM_GETTEXT, 8192, reinterpret_cast<LPARAM>(buffer));
  return escaped(utf8(std::wstring(buffer, static_cast<std::size_t>(length))));
}

std::wstring class_of(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

BOOL CALLBACK collect_control(HWND control, LPARAM out) {
  auto& lines = *reinterpret_cast<std::pair<std::string, std::string>*>(out);
  const std::wstring name = class_of(control);
  if (name == L"Button") lines.first += "button=" + window_text(control) + "\n";
  // The message is the static control with the id 0xFFFF; the icon is another static control.
  if (name == L"Static" && GetDlgCtrlID(control) == 0xFFFF) lines.second += "text=" + window_text(control) + "\n";
  return TRUE;
}

BOOL CALLBACK print_box(HWND window, LPARAM) {
  if (class_of(window) != L"#32770" || !IsWindowVisible(window)) return TRUE;
  std::pair<std::string, std::string> lines;
  EnumChildWindows(window, collect_control, reinterpret_cast<LPARAM>(&lines));
  const std::string block = "title=" + window_text(window) + "\n" + lines.first + lines.second + "end\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
  return TRUE;
}

}  // namespace

int wmain() {
  EnumWindows(print_box, 0);
  return 0;
}

#else

int main() { return 2; }

#endif
