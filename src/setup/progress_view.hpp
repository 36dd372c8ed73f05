#pragma once
// The view that shows the progress of a run: a window on Windows, a line on a terminal elsewhere.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/progress.hpp"

namespace tavo::setup {

struct ProgressState {
  progress::Phase phase = progress::Phase::checking;
  std::uint64_t done = 0;               // bytes of this phase dealt with so far
  std::optional<std::uint64_t> total;   // the phase's bytes; nothing while checking, which no count precedes
  std::wstring detail;                  // a line more about the phase, shown instead of the amount when set

  // How far the phase is, 0 to 1000; a phase with nothing to do is complete. Nothing while the total is unknown.
  std::optional<unsigned> permille() const noexcept;
};

// Shows the progress. Drawing is never worth failing the run for: a view that cannot show itself shows
// nothing. show() comes very often (every 64 KiB hashed); a view draws at the pace it wants.
class ProgressView {
 public:
  virtual ~ProgressView() = default;
  virtual void open() noexcept = 0;
  virtual void show(const ProgressState& state) noexcept = 0;
  virtual void close() noexcept = 0;  // gone before it returns
};

// The platform's view: the progress window on Windows; off Windows one line on standard error when that is a
// terminal, else nothing.
std::unique_ptr<ProgressView> make_progress_view();

}  // namespace tavo::setup
