#pragma once
// The run's log as a file: each line with the seconds since the run started, kept in memory until the setup
// flow knows where the log may go, then written line by line as the run goes on.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/run_log.hpp"
#include "fs/path.hpp"
#include "fs/text_file.hpp"

namespace tavo::setup {

class RunLogFile final : public run_log::Writer {
 public:
  RunLogFile() noexcept;
  RunLogFile(const RunLogFile&) = delete;
  RunLogFile& operator=(const RunLogFile&) = delete;
  ~RunLogFile() override;

  void line(std::string_view text) noexcept override;

  // Opens the log at `file` (an absolute path in normal form; with `new_only` only as a new file) and writes what
  // was noted so far. Refused, and then nothing is written anywhere, when the file is no plain file of our own
  // (fs::OwnTextFile). The error says why the log was not placed; another place may then be tried. A log that
  // fails later is dropped quietly.
  std::error_code place(const fs::Path& file, bool new_only) noexcept;

  // No place for the log: what was noted is dropped, and so is what follows.
  void give_up() noexcept;

  [[nodiscard]] bool placed() const noexcept { return file_.has_value(); }

 private:
  void write(std::string_view text) noexcept;

  std::chrono::steady_clock::time_point start_;
  std::optional<fs::OwnTextFile> file_;
  bool decided_ = false;  // placed, or refused: no more lines are kept in memory
  std::string pending_;
};

// Whether `file` would lie in one of `trees` (the package, the target): by its spelling, or on disk (its folder
// is the tree or below it, by the folders' identity). Reads only.
[[nodiscard]] bool lies_in_any(const fs::Path& file, const std::vector<fs::Path>& trees);

}  // namespace tavo::setup
