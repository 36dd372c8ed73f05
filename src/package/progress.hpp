#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>

#include "common/progress.hpp"

namespace tavo::package {

// How far the hashing has come, on standard error: nothing for a run that ends within about a second, then
// once a second "hashed <files> files, <size>". On a terminal the one line is rewritten in place; elsewhere
// (a log, a pipe) every report is a plain line of its own. The bytes come from the digests themselves, through
// the program's progress reports (common/progress.hpp) while this listens; the files are counted by the tool.
class Progress final : public progress::Listener {
 public:
  using Clock = std::chrono::steady_clock;

  Progress(std::ostream& out, bool terminal, std::function<Clock::time_point()> now = Clock::now);

  void hashed_bytes(std::uint64_t count);  // more bytes went into a digest
  void hashed_file();                      // one more file is digested

  // The listener's side: every byte reported is a hashed byte (the tool copies nothing).
  void phase_started(progress::Phase) noexcept override {}
  void bytes_done(std::uint64_t count) noexcept override;
  void detail_changed(std::wstring_view) noexcept override {}
  // Ends the report: the final figures, when anything was reported at all. Further calls change nothing.
  void finish();

 private:
  void report_if_due();
  void report();

  std::ostream& out_;
  bool terminal_;
  std::function<Clock::time_point()> now_;
  Clock::time_point next_report_;
  std::uint64_t files_ = 0;
  std::uint64_t bytes_ = 0;
  bool reported_ = false;
  bool finished_ = false;
};

}  // namespace tavo::package
