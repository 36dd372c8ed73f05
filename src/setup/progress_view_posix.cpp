// Off Windows the progress is one line on standard error that rewrites itself, and only on a terminal: a log
// or a program reading the boxes from standard error gets exactly what it got before.
#include "sys/calls_posix.hpp"

#include <cstdio>
#include <cstring>

#include "setup/progress_view.hpp"
#include "setup/progress_texts.hpp"

namespace tavo::setup {
namespace {

constexpr long long kRedrawMilliseconds = 100;

long long now_milliseconds() noexcept {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);  // a few nanoseconds: show() comes every 64 KiB
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

class ProgressLine final : public ProgressView {
 public:
  void open() noexcept override {
    on_terminal_ = sys::isatty(STDERR_FILENO) == 1;
    drawn_ = false;
  }

  void show(const ProgressState& state) noexcept override {
    if (!on_terminal_) return;
    const long long now = now_milliseconds();
    if (drawn_ && state.phase == last_.phase && now - drawn_at_ < kRedrawMilliseconds) {
      last_ = state;
      return;
    }
    last_ = state;
    drawn_at_ = now;
    draw();
  }

  void close() noexcept override {
    if (!on_terminal_ || !drawn_) return;
    draw();
    write_all("\n");
    on_terminal_ = false;
  }

 private:
  void draw() noexcept {
    char amount[96];
    amount_text(last_, amount, sizeof amount);
    char line[160];
    // Carriage return, the line, and the rest of the old line cleared.
    if (amount[0] == '\0') {
      std::snprintf(line, sizeof line, "\r%s\033[K", phase_text(last_.phase));  // a phase without an amount
    } else {
      std::snprintf(line, sizeof line, "\r%s: %s\033[K", phase_text(last_.phase), amount);
    }
    write_all(line);
    drawn_ = true;
  }

  static void write_all(const char* text) noexcept {
    std::size_t left = std::strlen(text);
    while (left > 0) {
      const ssize_t written = sys::write(STDERR_FILENO, text, left);
      if (written <= 0) return;  // progress is never worth failing for
      text += written;
      left -= static_cast<std::size_t>(written);
    }
  }

  bool on_terminal_ = false;
  bool drawn_ = false;
  long long drawn_at_ = 0;
  ProgressState last_;
};

}  // namespace

std::unique_ptr<ProgressView> make_progress_view() { return std::make_unique<ProgressLine>(); }

}  // namespace tavo::setup
