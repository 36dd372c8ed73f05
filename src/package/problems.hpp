#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/error.hpp"

namespace tavo::package {

// One thing that keeps a package from being accepted: the file it concerns (relative to the folder the tool
// was given, UTF-8) and the message, the setup's own text where the setup would refuse it.
struct Problem {
  std::string file;
  std::string message;
};

// The problems of one run, in the order in which they were found. It is the one place where the tool's checks
// are caught: every check runs through it, and its failure becomes a problem of the file the check concerns.
class ProblemList {
 public:
  void add(std::string file, std::string message) { problems_.push_back({std::move(file), std::move(message)}); }

  // Runs one check; a failure of the program's own family (Error) becomes a problem of `file`. Anything else
  // (out of memory, a logic error) goes on to the caller.
  template <typename Check>
  void check(const std::string& file, Check&& run) {
    try {
      run();
    } catch (const Error& failure) {
      add(file, message_with_reason(failure));
    }
  }

  // Whether `file` has a problem already, found as itself or as a manifest line naming it ("<file> (...").
  bool has_problem_of(std::string_view file) const noexcept {
    for (const Problem& problem : problems_) {
      const std::string_view found = problem.file;
      if (found.substr(0, file.size()) != file) continue;
      if (found.size() == file.size() || found.substr(file.size(), 2) == " (") return true;
    }
    return false;
  }

  bool empty() const noexcept { return problems_.empty(); }
  const std::vector<Problem>& all() const noexcept { return problems_; }

 private:
  std::vector<Problem> problems_;
};

}  // namespace tavo::package
