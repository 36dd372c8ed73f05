#pragma once
// The test build's handle on the fault switch (fault_switch.hpp). Not part of the shipped program.

#include <string>
#include <vector>

namespace tavo::fault {

struct Plan {
  long fail_at = 0;         // the number of the call that fails, counted from 1; 0: none
  bool persistent = false;  // every call from then on fails too, as on a disk that stays full
  int error = 0;            // the platform's code (errno, GetLastError value)
};

// Starts counting (and recording the calls' names) afresh under the plan.
void arm(const Plan& plan);

// Calls counted since arm(), and whether the plan's call came.
long calls() noexcept;
bool fired() noexcept;

// The names of the calls since arm(), in order, and the name of the call that failed first.
std::vector<std::string> recorded_calls();
std::string failed_call();

}  // namespace tavo::fault
