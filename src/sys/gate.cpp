// Only in the test build: the shipped program's gate is a constant.
#if defined(TAVO_TEST_BUILD)

#include "sys/gate.hpp"

#include <exception>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/system_error.hpp"
#include "sys/door_control.hpp"

namespace tavo {
namespace {

struct Hook {
  std::string call;
  long nth;  // counted from when the hook was set
  long base;
  std::function<void()> run;
};

// The program has one thread; so have the tests that drive it.
struct State {
  fault::Plan plan;
  bool armed = false;  // names are recorded from the first arm() on
  long calls = 0;
  bool fired = false;
  std::string failed_call;
  std::vector<std::string> recorded;
  std::map<std::string, long> per_call;  // since arm()
  std::map<std::string, long> lifetime;  // never reset: the hooks count on it
  std::vector<Hook> hooks;
  std::exception_ptr hook_failure;
};

State& state() {
  static State s;
  return s;
}

void run_hooks(State& s, const std::string& name, long lifetime_count) {
  for (std::size_t i = 0; i < s.hooks.size(); ++i) {
    if (s.hooks[i].call != name || lifetime_count - s.hooks[i].base != s.hooks[i].nth) continue;
    const std::function<void()> run = std::move(s.hooks[i].run);
    s.hooks.erase(s.hooks.begin() + static_cast<std::ptrdiff_t>(i));
    try {
      run();
    } catch (...) {
      if (!s.hook_failure) s.hook_failure = std::current_exception();
    }
    return;
  }
}

}  // namespace

namespace sys {

bool refused(const char* call) noexcept {
  State& s = state();
  ++s.calls;
  try {
    const std::string name(call);
    if (s.armed) {
      s.recorded.push_back(name);
      ++s.per_call[name];
    }
    const long lifetime_count = ++s.lifetime[name];
    if (!s.hooks.empty()) run_hooks(s, name, lifetime_count);
  } catch (...) {
    // A test that runs out of memory learns it elsewhere; the count stays right.
  }
  const fault::Plan& plan = s.plan;
  const bool fails = plan.fail_at > 0 && (s.calls == plan.fail_at || (plan.persistent && s.calls > plan.fail_at));
  if (!fails) return false;
  if (!s.fired) {
    s.fired = true;
    try {
      s.failed_call = call;
    } catch (...) {
    }
  }
  set_last_system_error(plan.error);
  return true;
}

namespace test {

void before_call(std::string call, long nth, std::function<void()> hook) {
  State& s = state();
  const long base = s.lifetime[call];
  s.hooks.push_back(Hook{std::move(call), nth, base, std::move(hook)});
}

void clear_hooks() {
  State& s = state();
  s.hooks.clear();
  if (std::exception_ptr failure = std::exchange(s.hook_failure, nullptr)) std::rethrow_exception(failure);
}

long count_of(const std::string& call) {
  const State& s = state();
  const auto found = s.per_call.find(call);
  return found == s.per_call.end() ? 0 : found->second;
}

}  // namespace test
}  // namespace sys

namespace fault {

void arm(const Plan& plan) {
  State& s = state();
  s.plan = plan;
  s.armed = true;
  s.calls = 0;
  s.fired = false;
  s.failed_call.clear();
  s.recorded.clear();
  s.per_call.clear();
}
long calls() noexcept { return state().calls; }
bool fired() noexcept { return state().fired; }
std::vector<std::string> recorded_calls() { return state().recorded; }
std::string failed_call() { return state().failed_call; }

}  // namespace fault
}  // namespace tavo

#endif
