#pragma once
// Starting and waiting for a child program. POSIX build only.

#include "sys/calls_posix.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavo::setup {

// Starts path with the arguments (arguments[0] is the program's own name) and our environment. Returns the
// child's id, or nothing when it could not be started, with the reason in errno (glibc reports a failed exec
// here, not in the child).
std::optional<pid_t> spawn_child(const std::string& path, const std::vector<std::string>& arguments,
                                 const posix_spawn_file_actions_t* actions);

// The exit code that a wait status stands for: the child's own code, or 128 + the signal's number for a child
// ended by a signal (the shells' convention; never 0, so a killed tool never reads as success).
std::uint32_t exit_code_of(int wait_status) noexcept;

// Waits for the child without a time limit; its exit code, or nothing when the wait fails.
std::optional<std::uint32_t> wait_for_child(pid_t child) noexcept;

}  // namespace tavo::setup
