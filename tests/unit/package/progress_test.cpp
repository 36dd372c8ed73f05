#include "package/progress.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace tavo::package {
namespace {

using namespace std::chrono_literals;

// A clock that the test moves by hand.
struct ManualClock {
  Progress::Clock::time_point now{};
  std::function<Progress::Clock::time_point()> source() {
    return [this] { return now; };
  }
};

// Hashes files of one MiB at the given moments (milliseconds after the start) and returns what was written.
std::string report(bool terminal, std::initializer_list<int> file_times_ms) {
  ManualClock clock;
  std::ostringstream out;
  Progress progress(out, terminal, clock.source());
  for (const int ms : file_times_ms) {
    clock.now = Progress::Clock::time_point{} + std::chrono::milliseconds(ms);
    progress.hashed_bytes(1 << 20);
    progress.hashed_file();
  }
  progress.finish();
  progress.finish();
  return out.str();
}

TEST(Progress, ReportsOnlyRunsOverASecondAndAsPlainLinesOffATerminal) {
  const struct {
    bool terminal;
    std::initializer_list<int> times;
    std::string expected;
  } cases[] = {
      {false, {}, ""},
      {true, {100, 500, 999}, ""},
      {false, {100, 500, 999}, ""},
      {false, {500, 1000, 1500, 2100},
       "hashed 1 files, 2.0 MiB\nhashed 3 files, 4.0 MiB\nhashed 4 files, 4.0 MiB\n"},
      {true, {500, 1000, 1500, 2100},
       "\rhashed 1 files, 2.0 MiB\rhashed 3 files, 4.0 MiB\rhashed 4 files, 4.0 MiB\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(report(c.terminal, c.times), c.expected) << "case " << (&c - cases);
  }
}

}  // namespace
}  // namespace tavo::package
