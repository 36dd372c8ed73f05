#include "package/progress.hpp"

#include <cstdio>
#include <string>
#include <utility>

namespace tavo::package {
namespace {

constexpr std::chrono::seconds kInterval{1};

std::string size_text(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return text;
}

}  // namespace

Progress::Progress(std::ostream& out, bool terminal, std::function<Clock::time_point()> now)
    : out_(out), terminal_(terminal), now_(std::move(now)), next_report_(now_() + kInterval) {}

void Progress::hashed_bytes(std::uint64_t count) {
  bytes_ += count;
  report_if_due();
}

void Progress::bytes_done(std::uint64_t count) noexcept {
  try {
    hashed_bytes(count);
  } catch (...) {
    // A report that cannot be written takes nothing from the digest.
  }
}

void Progress::hashed_file() {
  ++files_;
  report_if_due();
}

void Progress::finish() {
  if (finished_) return;
  finished_ = true;
  if (!reported_) return;
  report();
  if (terminal_) out_ << '\n';
  out_.flush();
}

void Progress::report_if_due() {
  if (finished_) return;
  const Clock::time_point now = now_();
  if (now < next_report_) return;
  next_report_ = now + kInterval;
  report();
  reported_ = true;
}

void Progress::report() {
  const std::string text = "hashed " + std::to_string(files_) + " files, " + size_text(bytes_);
  if (terminal_) {
    // The line only grows, so rewriting it from its start leaves nothing of the last report behind.
    out_ << '\r' << text << std::flush;
  } else {
    out_ << text << '\n' << std::flush;
  }
}

}  // namespace tavo::package
