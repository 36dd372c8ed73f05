// The progress window: a small window of its own with the phase, a bar and the amount, shown from the
// confirmation until the installation has ended. The work runs on the program's one thread; every report of
// it gives the window its messages (at most every 50 ms), so the window stays alive and is never taken for
// hung. It has no owner and no Cancel button; closing it is ignored, as the run goes on anyway.
#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <cstring>

#include "common/unique_resource.hpp"
#include "setup/progress_view.hpp"
#include "setup/progress_texts.hpp"

namespace tavo::setup {
namespace {

constexpr wchar_t kClassName[] = L"TavoSetupProgress";
constexpr ULONGLONG kPumpMilliseconds = 50;
constexpr int kWidth = 440;  // client area
constexpr int kHeight = 118;
constexpr int kMargin = 16;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_MINIMIZEBOX | WS_SYSMENU;

using UniqueWindow = UniqueAny<HWND, &::DestroyWindow>;
using UniqueFont = UniqueAny<HFONT, &::DeleteObject>;

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_CLOSE) return 0;  // the window goes when the installation has ended, not before
  return ::DefWindowProcW(window, message, w, l);
}

bool register_class(HINSTANCE instance) noexcept {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = window_procedure;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kClassName;
  return ::RegisterClassExW(&window_class) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Gives every waiting message of the thread's windows its turn.
void pump_messages() noexcept {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

class ProgressWindow final : public ProgressView {
 public:
  void open() noexcept override {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    if (!::InitCommonControlsEx(&controls) || !register_class(instance)) return;

    RECT frame{0, 0, kWidth, kHeight};
    ::AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    window_.reset(::CreateWindowExW(0, kClassName, kProgressTitle, kStyle,
                                    work.left + (work.right - work.left - width) / 2,
                                    work.top + (work.bottom - work.top - height) / 2, width, height, nullptr,
                                    nullptr, instance, nullptr));
    if (!window_) return;

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
      font_.reset(::CreateFontIndirectW(&metrics.lfMessageFont));
    }
    const int inner = kWidth - 2 * kMargin;
    phase_ = child(L"STATIC", SS_LEFT, kMargin, 14, inner, 20, instance);
    bar_ = child(PROGRESS_CLASSW, PBS_SMOOTH, kMargin, 42, inner, 22, instance);
    amount_ = child(L"STATIC", SS_LEFT, kMargin, 76, inner, 20, instance);
    ::SendMessageW(bar_, PBM_SETRANGE32, 0, 1000);

    ::ShowWindow(window_.get(), SW_SHOWNORMAL);
    ::UpdateWindow(window_.get());
    pump_messages();
  }

  void show(const ProgressState& state) noexcept override {
    if (!window_) return;
    const ULONGLONG now = ::GetTickCount64();
    if (pumped_ && state.phase == phase_shown_ && now - pumped_at_ < kPumpMilliseconds) return;
    pumped_ = true;
    pumped_at_ = now;

    if (!phase_known_ || state.phase != phase_shown_) {
      ::SetWindowTextA(phase_, phase_text(state.phase));
      phase_shown_ = state.phase;
      phase_known_ = true;
    }
    const std::optional<unsigned> permille = state.permille();
    set_marquee(!permille);
    if (permille && *permille != position_) {
      position_ = *permille;
      ::SendMessageW(bar_, PBM_SETPOS, position_, 0);
    }
    char amount[96];
    amount_text(state, amount, sizeof amount);
    if (std::strcmp(amount, amount_shown_) != 0) {
      std::memcpy(amount_shown_, amount, sizeof amount);
      ::SetWindowTextA(amount_, amount);
    }
    pump_messages();
  }

  void close() noexcept override {
    window_.reset();  // its controls go with it
    font_.reset();
    pump_messages();
  }

 private:
  HWND child(const wchar_t* window_class, DWORD style, int x, int y, int width, int height,
             HINSTANCE instance) noexcept {
    const HWND control = ::CreateWindowExW(0, window_class, L"", WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                           window_.get(), nullptr, instance, nullptr);
    if (control != nullptr && font_) ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return control;
  }

  // While checking there is no total: the bar runs to and fro until the copy gives it one.
  void set_marquee(bool on) noexcept {
    if (on == marquee_) return;
    marquee_ = on;
    const LONG_PTR style = ::GetWindowLongPtrW(bar_, GWL_STYLE);
    ::SetWindowLongPtrW(bar_, GWL_STYLE, on ? style | PBS_MARQUEE : style & ~LONG_PTR{PBS_MARQUEE});
    ::SendMessageW(bar_, PBM_SETMARQUEE, on ? TRUE : FALSE, 30);
    if (!on) {
      ::SendMessageW(bar_, PBM_SETRANGE32, 0, 1000);
      position_ = 0;
      ::SendMessageW(bar_, PBM_SETPOS, 0, 0);
    }
  }

  UniqueFont font_;  // declared first: it outlives the controls that use it
  UniqueWindow window_;
  HWND phase_ = nullptr;  // the controls belong to the window
  HWND bar_ = nullptr;
  HWND amount_ = nullptr;
  bool pumped_ = false;
  ULONGLONG pumped_at_ = 0;
  bool phase_known_ = false;
  progress::Phase phase_shown_ = progress::Phase::checking;
  bool marquee_ = false;
  unsigned position_ = 0;
  char amount_shown_[96] = {};
};

}  // namespace

std::unique_ptr<ProgressView> make_progress_view() { return std::make_unique<ProgressWindow>(); }

}  // namespace tavo::setup
