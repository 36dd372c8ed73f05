// Only in the test build: the shipped program has no fault switch at all.
#if defined(TAVO_FAULT_SWITCH)

#include "common/fault_switch.hpp"

#include <string>
#include <vector>

#include "common/fault_switch_control.hpp"
#include "common/system_error.hpp"

namespace tavo::fault {
namespace {

// The setup has one thread; so have the tests that drive it.
struct State {
  Plan plan;
  long calls = 0;
  bool fired = false;
  std::string failed_call;
  std::vector<std::string> recorded;
};

State& state() {
  static State s;
  return s;
}

}  // namespace

bool inject(const char* call) noexcept {
  State& s = state();
  ++s.calls;
  try {
    s.recorded.emplace_back(call);
  } catch (...) {
    // A test that runs out of memory learns it elsewhere; the count stays right.
  }
  const bool fails =
      s.plan.fail_at > 0 && (s.calls == s.plan.fail_at || (s.plan.persistent && s.calls > s.plan.fail_at));
  if (!fails) return false;
  if (!s.fired) {
    s.fired = true;
    try {
      s.failed_call = call;
    } catch (...) {
    }
  }
  set_last_system_error(s.plan.error);
  return true;
}

void arm(const Plan& plan) { state() = State{plan, 0, false, {}, {}}; }
long calls() noexcept { return state().calls; }
bool fired() noexcept { return state().fired; }
std::vector<std::string> recorded_calls() { return state().recorded; }
std::string failed_call() { return state().failed_call; }

}  // namespace tavo::fault

#endif
