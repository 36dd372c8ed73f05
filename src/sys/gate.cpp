// Only in the test build: the shipped program's gate is a constant.
#if defined(TAVO_TEST_BUILD)

#include "sys/gate.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/system_error.hpp"
#include "sys/door_control.hpp"
#include "sys/this_process.hpp"

namespace tavo {
namespace {

struct Hook {
  std::string call;
  long nth;  // counted from when the hook was set
  long base;
  std::function<void()> run;
};

// Only the run's own thread calls through the door (the hashing thread and the window's thread make no such
// calls); so do the tests that drive it.
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
  std::map<std::string, std::vector<int>> scripts;  // outcomes still to come, first at the back
  bool skip_pauses = false;
  std::map<std::string, unsigned long> flags;
  std::vector<unsigned> pauses;
  std::uint64_t skipped_milliseconds = 0;
  std::exception_ptr hook_failure;
};

void configure_from_environment(State& s);

State& state() {
  static State s;
  static const bool configured = (configure_from_environment(s), true);
  (void)configured;
  return s;
}

// A whole run of the test-build program is bent through the environment, one item per ';':
//   pause=<call>:<n>:<folder>  before the n-th call named so, creates <folder>/paused and waits for <folder>/go
//                              (several pauses may be given, each with its own folder)
//   fail=<n>:<code>[:persistent]  the fault switch's plan for the run
//   delay=<call>:<n>:<ms>      before the n-th call named so, the thread does nothing for <ms> milliseconds, as
//                              if that call were slow (its windows are not served meanwhile)
//   record=<file>  at the end of the run, the names of its calls into <file>, one a line
//   note=<file>    what chosen calls were given (the elevated launch's owner window), one line each, at once
// The folder's files are made and looked for with the C library: they belong to the test, not to the program.
void wait_at_pause(const std::string& folder) {
  if (std::FILE* paused = std::fopen((folder + "/paused").c_str(), "wb")) std::fclose(paused);
  for (;;) {
    if (std::FILE* go = std::fopen((folder + "/go").c_str(), "rb")) {
      std::fclose(go);
      return;
    }
    wait_with_messages(5);
  }
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

std::string& note_file() {
  static std::string file;
  return file;
}

std::string& record_file() {
  static std::string file;
  return file;
}

void write_record() {
  std::FILE* out = std::fopen(record_file().c_str(), "wb");
  if (out == nullptr) return;
  for (const std::string& call : state().recorded) std::fprintf(out, "%s\n", call.c_str());
  std::fclose(out);
}

void configure_from_environment(State& s) {
  const char* setting = std::getenv("TAVO_DOOR");
  if (setting == nullptr) return;
  for (const std::string& item : split(setting, ';')) {
    const std::size_t equals = item.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = item.substr(0, equals);
    const std::vector<std::string> values = split(item.substr(equals + 1), ':');
    try {
      if (key == "pause" && values.size() >= 3) {
        // The folder may hold a drive letter's colon: it is everything after the second value.
        const std::string folder = item.substr(equals + 1 + values[0].size() + 1 + values[1].size() + 1);
        s.hooks.push_back(Hook{values[0], std::stol(values[1]), 0, [folder] { wait_at_pause(folder); }});
      } else if (key == "delay" && values.size() == 3) {
        const unsigned long milliseconds = std::stoul(values[2]);
        s.hooks.push_back(Hook{values[0], std::stol(values[1]), 0,
                               [milliseconds] { block_thread(static_cast<unsigned>(milliseconds)); }});
      } else if (key == "note" && !values.empty()) {
        note_file() = item.substr(equals + 1);
      } else if (key == "record" && !values.empty()) {
        record_file() = item.substr(equals + 1);
        s.armed = true;
        std::atexit(write_record);
      } else if (key == "fail" && values.size() >= 2) {
        s.plan = fault::Plan{std::stol(values[0]), values.size() > 2 && values[2] == "persistent",
                             std::stoi(values[1])};
        s.armed = true;
      }
    } catch (const std::exception&) {
      std::fprintf(stderr, "TAVO_DOOR: item not understood: %s\n", item.c_str());
    }
  }
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
  if (!s.scripts.empty()) {
    const auto script = s.scripts.find(call);
    if (script != s.scripts.end() && !script->second.empty()) {
      const int code = script->second.back();
      script->second.pop_back();
      if (code != 0) {
        set_last_system_error(code);
        return true;
      }
    }
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

void note_flags(const char* call, unsigned long flags) noexcept {
  try {
    state().flags[call] = flags;
  } catch (...) {
  }
}

bool pause_skipped(unsigned milliseconds) noexcept {
  State& s = state();
  if (!s.skip_pauses) return false;
  s.skipped_milliseconds += milliseconds;
  try {
    s.pauses.push_back(milliseconds);
  } catch (...) {
  }
  return true;
}

bool notes_wanted() noexcept {
  state();  // the environment read
  return !note_file().empty();
}

void note(const char* line) noexcept {
  if (!notes_wanted()) return;
  if (std::FILE* out = std::fopen(note_file().c_str(), "ab")) {
    std::fprintf(out, "%s\n", line);
    std::fclose(out);
  }
}

bool clock_skipped(std::uint64_t& milliseconds) noexcept {
  const State& s = state();
  if (!s.skip_pauses) return false;
  milliseconds = s.skipped_milliseconds;
  return true;
}

namespace test {

void script(std::string call, std::vector<int> codes) {
  std::reverse(codes.begin(), codes.end());
  state().scripts[std::move(call)] = std::move(codes);
}

void skip_pauses(bool skip) {
  State& s = state();
  s.skip_pauses = skip;
  s.pauses.clear();
  s.skipped_milliseconds = 0;
}

std::vector<unsigned> pauses() { return state().pauses; }

unsigned long flags_of(const std::string& call) {
  const auto found = state().flags.find(call);
  return found == state().flags.end() ? 0 : found->second;
}

void before_call(std::string call, long nth, std::function<void()> hook) {
  State& s = state();
  const long base = s.lifetime[call];
  s.hooks.push_back(Hook{std::move(call), nth, base, std::move(hook)});
}

void clear_hooks() {
  State& s = state();
  s.hooks.clear();
  s.scripts.clear();
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
