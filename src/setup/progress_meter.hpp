#pragma once
// The progress of one run: which phase the installation is in and how many of that phase's bytes are done,
// and the view that shows it (a window on Windows, a line on a terminal elsewhere).

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>

#include "common/progress.hpp"
#include "setup/progress_view.hpp"

namespace tavo::setup {


// Turns the installation's reports into states for the view. The check reads every file of the package once,
// and the copy takes the same files, so the bytes checked are the copy's total: no pass over the package just
// to count it.
class ProgressMeter final : public progress::Listener {
 public:
  explicit ProgressMeter(ProgressView& view) noexcept : view_(view) {}
  void phase_started(progress::Phase phase) noexcept override;
  void bytes_done(std::uint64_t count) noexcept override;
  void detail_changed(std::wstring_view text) noexcept override;
  void complete() noexcept;  // the phase is done: shown full, whatever the counted total said
  const ProgressState& state() const noexcept { return state_; }

 private:
  ProgressView& view_;
  ProgressState state_;
};

// Progress on view for the lifetime of this object: opened at once, closed when it goes. When it goes at the
// normal end of the installation, the view is shown the phase complete first; after a failure it keeps the
// place where the work stopped.
class ShownProgress {
 public:
  explicit ShownProgress(ProgressView& view) noexcept;
  ShownProgress(const ShownProgress&) = delete;
  ShownProgress& operator=(const ShownProgress&) = delete;
  ~ShownProgress();

 private:
  ProgressView& view_;
  ProgressMeter meter_;
  progress::Listening listening_;
  int exceptions_ = std::uncaught_exceptions();
};

}  // namespace tavo::setup
