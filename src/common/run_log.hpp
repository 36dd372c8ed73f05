#pragma once
// The run's log for a support desk: one line per event, written by whoever the setup flow has put in place
// (a file of its own, or nothing at all in a test or the package tool). The layers below note what they do
// and what they meet; noting never fails and never changes what a run does.

#include <chrono>
#include <string>
#include <string_view>
#include <system_error>

namespace tavo::run_log {

class Writer {
 public:
  virtual ~Writer() = default;
  // One line of text (UTF-8, no line end).
  virtual void line(std::string_view text) noexcept = 0;
};

// Whether anybody writes the log: a line that costs something to compose is composed only then.
[[nodiscard]] bool active() noexcept;

// Hands one line to the writer in place, if any.
void note(std::string_view text) noexcept;

// Text for a line: a path or name in double quotes (UTF-8; what is not UTF-16 is shown as U+FFFD), and a
// system error as "<code> (<description>)".
[[nodiscard]] std::string quoted(std::wstring_view text);
[[nodiscard]] std::string unquoted(std::wstring_view text);  // the same without the quotes
[[nodiscard]] std::string quoted_utf8(std::string_view text);
[[nodiscard]] std::string error_text(const std::error_code& code);

// Puts a writer in place for its lifetime, and the one before it back afterwards. The run notes from one
// thread at a time.
class Recording {
 public:
  explicit Recording(Writer& writer) noexcept;
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;
  ~Recording();

 private:
  Writer* previous_;
};

// A step of the run, noted at its start and at its end with its duration: "<name>: done (0.123 s)", or
// "<name>: failed (0.123 s)" when the step is left by an exception.
class Step {
 public:
  explicit Step(std::string name) noexcept;
  Step(const Step&) = delete;
  Step& operator=(const Step&) = delete;
  ~Step();

 private:
  std::string name_;
  std::chrono::steady_clock::time_point start_;
  int exceptions_;
};

// Seconds with three decimals: "1.234".
[[nodiscard]] std::string seconds_text(std::chrono::steady_clock::duration duration);

}  // namespace tavo::run_log
