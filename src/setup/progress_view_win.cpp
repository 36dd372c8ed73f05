// The progress window: a small window of its own with the phase, a bar and the amount (or a line more about
// the phase), shown from the confirmation until the installation has ended. It lives on a thread of its own
// that does nothing but serve its messages, so it answers in every phase, however long a call of the work
// takes: Windows takes a window that has not asked for messages for 5 s for hung and lets the user close it.
// The work hands it the latest state under a lock and posts a private message; it never waits for the window.
// It has no owner and no Cancel button; closing it is ignored, as the run goes on anyway. It is laid out for
// the DPI of its monitor and again when that changes.
#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include "sys/calls_win.hpp"

#include <atomic>
#include <string>

#include "common/unique_resource.hpp"
#include "setup/owner_window_win.hpp"
#include "setup/progress_texts.hpp"
#include "setup/progress_view.hpp"

namespace tavo::setup {
namespace {

constexpr wchar_t kClassName[] = L"TavoSetupProgress";
constexpr ULONGLONG kShowMilliseconds = 50;
constexpr UINT kStateWaiting = WM_APP + 1;  // the work left a new state
constexpr UINT kEnd = WM_APP + 2;           // the run is over: the window goes
// Sizes at 96 DPI, scaled to the window's DPI.
constexpr int kWidth = 440;  // client area
constexpr int kMargin = 16;
constexpr int kGap = 10;
constexpr int kBarHeight = 22;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_MINIMIZEBOX | WS_SYSMENU;
constexpr DWORD kTextStyle = SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS;

using UniqueWindow = UniqueAny<HWND, &::DestroyWindow>;
using UniqueFont = UniqueAny<HFONT, &::DeleteObject>;
using UniqueHandle = UniqueAny<HANDLE, &::CloseHandle>;

std::atomic<HWND> shown_window{nullptr};

int scaled(int value, UINT dpi) noexcept { return ::MulDiv(value, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI); }

std::wstring widened(const char* text) { return std::wstring(text, text + std::char_traits<char>::length(text)); }

// What the window holds; only its own thread touches it.
class WindowSide {
 public:
  explicit WindowSide(SRWLOCK& lock, ProgressState& latest, bool& waiting) noexcept
      : lock_(lock), latest_(latest), waiting_(waiting) {}

  bool create(HINSTANCE instance) noexcept {
    window_.reset(::CreateWindowExW(0, kClassName, kProgressTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                    kWidth, 120, nullptr, nullptr, instance, this));
    if (!window_) return false;
    phase_ = child(L"STATIC", kTextStyle, instance);
    bar_ = child(PROGRESS_CLASSW, PBS_SMOOTH, instance);
    amount_ = child(L"STATIC", kTextStyle, instance);
    ::SendMessageW(bar_, PBM_SETRANGE32, 0, 1000);
    lay_out(::GetDpiForWindow(window_.get()), nullptr);
    take_state();
    ::ShowWindow(window_.get(), SW_SHOWNORMAL);
    ::SetForegroundWindow(window_.get());  // the confirmation just had the foreground: the window follows it
    ::UpdateWindow(window_.get());
    return true;
  }

  HWND window() const noexcept { return window_.get(); }

  void destroy() noexcept {
    window_.reset();  // its controls go with it
    font_.reset();
  }

  LRESULT handle(HWND window, UINT message, WPARAM w, LPARAM l) noexcept {
    switch (message) {
      case WM_CLOSE:
        return 0;  // the window goes when the installation has ended, not before
      case kStateWaiting:
        take_state();
        return 0;
      case WM_DPICHANGED:
        lay_out(LOWORD(w), reinterpret_cast<const RECT*>(l));
        return 0;
      default:
        return ::DefWindowProcW(window, message, w, l);
    }
  }

 private:
  HWND child(const wchar_t* window_class, DWORD style, HINSTANCE instance) noexcept {
    return ::CreateWindowExW(0, window_class, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window_.get(), nullptr,
                             instance, nullptr);
  }

  // The font of message boxes at the window's DPI, the controls placed by its line height, and the window sized
  // to them: centred on the work area when it is first laid out, else where Windows suggests for the new DPI.
  void lay_out(UINT dpi, const RECT* suggested) noexcept {
    if (dpi == 0) dpi = USER_DEFAULT_SCREEN_DPI;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    UniqueFont font;
    if (::SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
      font.reset(::CreateFontIndirectW(&metrics.lfMessageFont));
    }
    const HFONT used = font ? font.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    int line = scaled(20, dpi);
    if (const HDC context = ::GetDC(window_.get())) {
      const HGDIOBJ before = ::SelectObject(context, used);
      TEXTMETRICW text{};
      if (::GetTextMetricsW(context, &text)) line = text.tmHeight + text.tmExternalLeading + scaled(2, dpi);
      ::SelectObject(context, before);
      ::ReleaseDC(window_.get(), context);
    }
    for (const HWND text : {phase_, amount_}) ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(used), FALSE);
    font_ = std::move(font);  // the old font goes once the controls use the new one

    const int margin = scaled(kMargin, dpi);
    const int gap = scaled(kGap, dpi);
    const int width = scaled(kWidth, dpi);
    const int inner = width - 2 * margin;
    const int bar_top = margin + line + gap;
    const int amount_top = bar_top + scaled(kBarHeight, dpi) + gap;
    const int height = amount_top + line + margin;
    ::SetWindowPos(phase_, nullptr, margin, margin, inner, line, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(bar_, nullptr, margin, bar_top, inner, scaled(kBarHeight, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(amount_, nullptr, margin, amount_top, inner, line, SWP_NOZORDER | SWP_NOACTIVATE);

    if (suggested != nullptr) {
      ::SetWindowPos(window_.get(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
      RECT frame{0, 0, width, height};
      ::AdjustWindowRectExForDpi(&frame, kStyle, FALSE, 0, dpi);
      const int outer_width = frame.right - frame.left;
      const int outer_height = frame.bottom - frame.top;
      MONITORINFO monitor{};
      monitor.cbSize = sizeof monitor;
      RECT work{0, 0, outer_width, outer_height};
      if (::GetMonitorInfoW(::MonitorFromWindow(window_.get(), MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        work = monitor.rcWork;
      }
      ::SetWindowPos(window_.get(), nullptr, work.left + (work.right - work.left - outer_width) / 2,
                     work.top + (work.bottom - work.top - outer_height) / 2, outer_width, outer_height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::InvalidateRect(window_.get(), nullptr, TRUE);
  }

  void take_state() noexcept {
    ProgressState state;
    bool taken = true;
    ::AcquireSRWLockExclusive(&lock_);
    try {
      state = latest_;
    } catch (...) {
      taken = false;  // no memory for the detail: the next state will do
    }
    waiting_ = false;
    ::ReleaseSRWLockExclusive(&lock_);
    if (taken) show(state);
  }

  void show(const ProgressState& state) noexcept {
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
    try {
      std::wstring amount = state.detail;
      if (amount.empty()) {
        char text[96];
        amount_text(state, text, sizeof text);
        amount = widened(text);
      }
      if (amount != amount_shown_) {
        ::SetWindowTextW(amount_, amount.c_str());
        amount_shown_ = std::move(amount);
      }
    } catch (...) {
      // the amount stays as it was: not worth failing the run for
    }
  }

  // Without a total the bar runs to and fro until the copy gives it one.
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

  SRWLOCK& lock_;
  ProgressState& latest_;
  bool& waiting_;
  UniqueFont font_;  // declared first: it outlives the controls that use it
  UniqueWindow window_;
  HWND phase_ = nullptr;  // the controls belong to the window
  HWND bar_ = nullptr;
  HWND amount_ = nullptr;
  bool phase_known_ = false;
  progress::Phase phase_shown_ = progress::Phase::checking;
  bool marquee_ = false;
  unsigned position_ = 0;
  std::wstring amount_shown_;
};

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(l);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* side = reinterpret_cast<WindowSide*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  return side != nullptr ? side->handle(window, message, w, l) : ::DefWindowProcW(window, message, w, l);
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

class ProgressWindow final : public ProgressView {
 public:
  ~ProgressWindow() override { close(); }

  void open() noexcept override {
    if (thread_) return;
    ready_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ready_) return;
    thread_.reset(::CreateThread(nullptr, 0, &ProgressWindow::thread_main, this, 0, &thread_id_));
    if (!thread_) return;
    // Back once the window is there, or its thread has given up.
    const HANDLE either[] = {ready_.get(), thread_.get()};
    ::WaitForMultipleObjects(2, either, FALSE, INFINITE);
    window_ = shown_window.load();
    if (window_ == nullptr) close();
  }

  void show(const ProgressState& state) noexcept override {
    if (window_ == nullptr) return;
    const ULONGLONG now = ::GetTickCount64();
    if (sent_ && state.phase == phase_sent_ && state.detail == detail_sent_ && now - sent_at_ < kShowMilliseconds) {
      return;
    }
    bool post = false;
    ::AcquireSRWLockExclusive(&lock_);
    try {
      latest_ = state;
      post = !waiting_;
      waiting_ = true;
    } catch (...) {
      // no memory for the detail: this state is left out
    }
    ::ReleaseSRWLockExclusive(&lock_);
    // One message waits at most: the window takes the latest state when it comes to it.
    if (post && !::PostMessageW(window_, kStateWaiting, 0, 0)) {
      ::AcquireSRWLockExclusive(&lock_);
      waiting_ = false;
      ::ReleaseSRWLockExclusive(&lock_);
    }
    sent_ = true;
    sent_at_ = now;
    phase_sent_ = state.phase;
    try {
      detail_sent_ = state.detail;
    } catch (...) {
      detail_sent_.clear();
    }
  }

  void close() noexcept override {
    if (!thread_) return;
    shown_window.store(nullptr);
    // The loop ends on the message whether it comes for the window or for the thread.
    if (window_ == nullptr || !::PostMessageW(window_, kEnd, 0, 0)) ::PostThreadMessageW(thread_id_, kEnd, 0, 0);
    // The window is gone with its thread. Should the wait itself fail, the thread is left to end by itself: its
    // view lives until the program ends.
    if (sys::WaitForSingleObject(thread_.get(), INFINITE) != WAIT_OBJECT_0) return;
    thread_.reset();
    ready_.reset();
    window_ = nullptr;
    sent_ = false;
  }

 private:
  static DWORD WINAPI thread_main(void* self) noexcept {
    static_cast<ProgressWindow*>(self)->serve();
    return 0;
  }

  // The window's thread: makes the window, then serves its messages until the run is over.
  void serve() noexcept {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    WindowSide side(lock_, latest_, waiting_);
    if (!::InitCommonControlsEx(&controls) || !register_class(instance) || !side.create(instance)) {
      side.destroy();
      ::SetEvent(ready_.get());
      return;
    }
    shown_window.store(side.window());
    ::SetEvent(ready_.get());
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0 && message.message != kEnd) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    shown_window.store(nullptr);
    side.destroy();
  }

  UniqueHandle ready_;
  UniqueHandle thread_;
  DWORD thread_id_ = 0;
  HWND window_ = nullptr;  // made and destroyed by the thread
  // What the work hands the window, under the lock.
  SRWLOCK lock_ = SRWLOCK_INIT;
  ProgressState latest_;
  bool waiting_ = false;
  // The work's own pacing.
  bool sent_ = false;
  ULONGLONG sent_at_ = 0;
  progress::Phase phase_sent_ = progress::Phase::checking;
  std::wstring detail_sent_;
};

}  // namespace

HWND owner_window() noexcept { return shown_window.load(); }

std::unique_ptr<ProgressView> make_progress_view() { return std::make_unique<ProgressWindow>(); }

}  // namespace tavo::setup
