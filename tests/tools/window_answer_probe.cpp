// Asks the setup's progress window, every 100 ms from when it appears until it is gone, whether it answers
// (WM_NULL with SendMessageTimeoutW, SMTO_ABORTIFHUNG, 1 s), for end-to-end tests of the Windows build under
// Wine. Waits at most the seconds of its argument (default 300) for the window to appear. Prints, in UTF-8:
//   answered=<messages answered>
//   unanswered=<messages not answered within the second>
//   phase=<phase text>   one line for each phase shown, in the order seen
//   unanswered_in=<phase text>  one line for each message not answered: the phase shown when it was asked
// A question not answered because the window went meanwhile is not counted.
// Off Windows there is none: it prints nothing and exits with 2.
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <cstdlib>

#include "tool_text.hpp"

namespace {

// The window class of src/setup/progress_view_win.cpp.
constexpr wchar_t kClassName[] = L"TavoSetupProgress";

// The first text control is the phase. Read without a message: another process's control gives its text
// from what the system keeps, so a hung window cannot hold the probe.
std::wstring phase_of(HWND window) {
  const HWND phase = FindWindowExW(window, nullptr, L"Static", nullptr);
  if (phase == nullptr) return L"";
  wchar_t text[256] = {};
  GetWindowTextW(phase, text, 256);
  return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const ULONGLONG wait_for = (argc > 1 ? std::wcstoul(argv[1], nullptr, 10) : 300) * 1000ULL;
  const ULONGLONG start = GetTickCount64();
  HWND window = nullptr;
  while ((window = FindWindowW(kClassName, nullptr)) == nullptr) {
    if (GetTickCount64() - start > wait_for) return 1;
    Sleep(20);
  }
  long answered = 0;
  long unanswered = 0;
  std::vector<std::wstring> phases;
  std::vector<std::wstring> unanswered_in;
  while (IsWindow(window)) {
    const std::wstring phase = phase_of(window);
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0) {
      ++answered;
    } else {
      // A window on its way out does not answer either (Wine waits up to a second for the display to take
      // it down): a question that the window's end overtook is no hang.
      Sleep(1500);
      if (!IsWindow(window)) break;
      ++unanswered;
      unanswered_in.push_back(phase);
    }
    if (!phase.empty() && (phases.empty() || phases.back() != phase)) phases.push_back(phase);
    Sleep(100);
  }
  std::string block = "answered=" + std::to_string(answered) + "\nunanswered=" + std::to_string(unanswered) + "\n";
  for (const std::wstring& phase : phases) block += "phase=" + tool_text::utf8(phase) + "\n";
  for (const std::wstring& phase : unanswered_in) block += "unanswered_in=" + tool_text::utf8(phase) + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
  return 0;
}

#else

int main() { return 2; }

#endif
