#pragma once
// The test build's handle on the door (gate.hpp): the fault switch, which fails a chosen call, and hooks that
// run just before a chosen call, so that a race becomes a step of a test. Not part of the shipped program.

#include <functional>
#include <string>
#include <vector>

namespace tavo::fault {

struct Plan {
  long fail_at = 0;         // the number of the call that fails, counted from 1; 0: none
  bool persistent = false;  // every call from then on fails too, as on a disk that stays full
  int error = 0;            // the platform's code (errno, GetLastError value)
};

// Starts counting (and recording the calls' names) afresh under the plan. Hooks stay.
void arm(const Plan& plan);

// Calls counted since arm(), and whether the plan's call came.
long calls() noexcept;
bool fired() noexcept;

// The names of the calls since arm(), in order, and the name of the call that failed first.
std::vector<std::string> recorded_calls();
std::string failed_call();

}  // namespace tavo::fault

namespace tavo::sys::test {

// Runs `hook` once, just before the `nth` call (from 1) named `call` after this point: a test pauses the run
// there, swaps a folder for a link, changes a file or places one at a name. A hook that raises is caught and
// kept; rethrow_hook_failure() raises it again in the test.
void before_call(std::string call, long nth, std::function<void()> hook);

// Removes every hook and script; raises what a hook raised meanwhile.
void clear_hooks();

// The coming calls named `call` take these outcomes in turn: a platform code fails the call with it, 0 lets the
// system answer. After the last, the system answers again.
void script(std::string call, std::vector<int> codes);

// Pauses of the program return at once and are recorded (true), or wait as in the shipped program (false).
void skip_pauses(bool skip);
std::vector<unsigned> pauses();

// The flags that the latest call named `call` was given (for the calls that keep them); 0 before any.
unsigned long flags_of(const std::string& call);

// How many calls named `call` passed the door since the last arm() (every call is counted, failed or not).
long count_of(const std::string& call);

}  // namespace tavo::sys::test
