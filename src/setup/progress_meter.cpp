#include "setup/progress_meter.hpp"

#include <limits>

namespace tavo::setup {

std::optional<unsigned> ProgressState::permille() const noexcept {
  if (!total) return std::nullopt;
  if (done >= *total) return 1000u;
  // In floating point: done * 1000 would overflow for totals beyond 18 PB; a permille needs no more precision.
  return static_cast<unsigned>(static_cast<double>(done) * 1000.0 / static_cast<double>(*total));
}

void ProgressMeter::phase_started(progress::Phase phase) noexcept {
  std::optional<std::uint64_t> total;
  if (phase == progress::Phase::copying) total = state_.phase == progress::Phase::checking ? state_.done : state_.total;
  state_ = ProgressState{phase, 0, total, {}};
  view_.show(state_);
}

void ProgressMeter::bytes_done(std::uint64_t count) noexcept {
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
  state_.done = count > kMost - state_.done ? kMost : state_.done + count;
  view_.show(state_);
}

void ProgressMeter::detail_changed(std::wstring_view text) noexcept {
  try {
    state_.detail.assign(text);
  } catch (...) {
    state_.detail.clear();  // a detail is never worth failing the run for
  }
  view_.show(state_);
}

void ProgressMeter::complete() noexcept {
  if (!state_.total || state_.done >= *state_.total) return;
  state_.done = *state_.total;
  view_.show(state_);
}

ShownProgress::ShownProgress(ProgressView& view) noexcept : view_(view), meter_(view), listening_(meter_) {
  view_.open();
  view_.show(meter_.state());
}

ShownProgress::~ShownProgress() {
  if (std::uncaught_exceptions() == exceptions_) meter_.complete();
  view_.close();
}

}  // namespace tavo::setup
