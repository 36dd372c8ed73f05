// The progress arithmetic: phases, their byte totals and how far they are, as the view is shown them.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/progress.hpp"
#include "setup/progress_meter.hpp"
#include "setup/progress_texts.hpp"

namespace tavo::setup {
namespace {

using progress::Phase;

class LastState final : public ProgressView {
 public:
  void open() noexcept override { ++opened; }
  void show(const ProgressState& state) noexcept override { states.push_back(state); }
  void close() noexcept override { ++closed; }
  int opened = 0;
  int closed = 0;
  std::vector<ProgressState> states;
};

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

// One report: a phase begins, or bytes are done.
struct Report {
  std::optional<Phase> phase;
  std::uint64_t bytes;
};
Report begins(Phase phase) { return {phase, 0}; }
Report done(std::uint64_t bytes) { return {std::nullopt, bytes}; }

TEST(ProgressMeter, PhasesTotalsAndPermille) {
  struct Case {
    const char* name;
    std::vector<Report> reports;
    Phase phase;
    std::uint64_t done;
    std::optional<std::uint64_t> total;
    std::optional<unsigned> permille;
    const char* amount;
  };
  const std::vector<Case> cases = {
      {"checking has no total", {begins(Phase::checking), done(65536), done(65536)}, Phase::checking, 131072,
       std::nullopt, std::nullopt, "0 MB geprueft"},
      {"the copy's total is what was checked",
       {begins(Phase::checking), done(3000000), done(1000000), begins(Phase::copying), done(1000000)},
       Phase::copying, 1000000, 4000000, 250, "25 % - 1 von 4 MB"},
      {"a file beyond 4 GiB",
       {begins(Phase::checking), done(5 * kGiB), begins(Phase::copying), done(4 * kGiB), done(kGiB / 2)},
       Phase::copying, 4 * kGiB + kGiB / 2, 5 * kGiB, 900, "90 % - 4.831 von 5.368 MB"},
      {"an empty tree is copied at once", {begins(Phase::checking), begins(Phase::copying)}, Phase::copying, 0, 0,
       1000, "100 % - 0 von 0 MB"},
      {"more copied than checked stays full",
       {begins(Phase::checking), done(10), begins(Phase::copying), done(7), done(7)}, Phase::copying, 14, 10, 1000,
       "100 % - 0 von 0 MB"},
      {"a new check starts from nothing",
       {begins(Phase::checking), done(10), begins(Phase::checking), done(0)}, Phase::checking, 0, std::nullopt,
       std::nullopt, "0 MB geprueft"},
      {"beyond a terabyte", {begins(Phase::checking), done(1234567890123)}, Phase::checking, 1234567890123,
       std::nullopt, std::nullopt, "1.234.567 MB geprueft"},
      {"waiting counts no bytes", {begins(Phase::checking), done(10), begins(Phase::copying), done(10),
                                   begins(Phase::waiting_for_release)},
       Phase::waiting_for_release, 0, std::nullopt, std::nullopt, ""},
      {"the device check counts no bytes", {begins(Phase::checking_device), done(0)}, Phase::checking_device, 0,
       std::nullopt, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    LastState view;
    ProgressMeter meter(view);
    for (const Report& report : c.reports) {
      if (report.phase) {
        meter.phase_started(*report.phase);
      } else {
        meter.bytes_done(report.bytes);
      }
    }
    ASSERT_EQ(view.states.size(), c.reports.size()) << c.name;  // every report is shown
    const ProgressState& state = view.states.back();
    EXPECT_EQ(state.phase, c.phase) << c.name;
    EXPECT_EQ(state.done, c.done) << c.name;
    EXPECT_EQ(state.total, c.total) << c.name;
    EXPECT_EQ(state.permille(), c.permille) << c.name;
    char amount[96];
    amount_text(state, amount, sizeof amount);
    EXPECT_EQ(std::string(amount), c.amount) << c.name;
  }
}

// The copy's total is what the check counted, which need not be exactly what is copied: a normal end shows
// the copy complete; a failure keeps where it stopped.
TEST(ProgressMeter, ShownProgressEndsCompleteOnlyWhenTheWorkEndsNormally) {
  for (const bool fails : {false, true}) {
    LastState view;
    try {
      ShownProgress shown(view);
      progress::start_phase(Phase::checking);
      progress::bytes_done(100);
      progress::start_phase(Phase::copying);
      progress::bytes_done(97);
      if (fails) throw std::runtime_error("copy failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(view.closed, 1);
    EXPECT_EQ(view.states.back().done, fails ? 97u : 100u) << fails;
  }
}

// A detail belongs to its phase: the next phase starts without it.
TEST(ProgressMeter, DetailLastsUntilTakenBackOrTheNextPhase) {
  LastState view;
  ProgressMeter meter(view);
  meter.phase_started(Phase::waiting_for_release);
  meter.detail_changed(L"Gehalten von: Explorer");
  EXPECT_EQ(view.states.back().detail, L"Gehalten von: Explorer");
  meter.detail_changed(L"");
  EXPECT_EQ(view.states.back().detail, L"");
  meter.detail_changed(L"Gehalten von: Explorer");
  meter.phase_started(Phase::checking_device);
  EXPECT_EQ(view.states.back().detail, L"");
  EXPECT_STREQ(phase_text(view.states.back().phase), "Geraet wird geprueft");
}

TEST(ProgressMeter, ShownProgressListensOnlyWhileItLasts) {
  LastState view;
  {
    ShownProgress shown(view);
    EXPECT_EQ(view.opened, 1);
    progress::start_phase(Phase::checking);
    progress::bytes_done(42);
    EXPECT_EQ(view.closed, 0);
  }
  EXPECT_EQ(view.closed, 1);
  ASSERT_FALSE(view.states.empty());
  EXPECT_EQ(view.states.back().done, 42u);
  const std::size_t shown = view.states.size();
  progress::bytes_done(1);
  EXPECT_EQ(view.states.size(), shown);
}

}  // namespace
}  // namespace tavo::setup
