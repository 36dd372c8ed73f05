#pragma once
// The operating system's error codes (GetLastError on Windows, errno on POSIX) as std::error_code, the way
// LLVM's Support library carries them: one category for the platform's own codes, whose message is the
// system's own description, and which compares equal to the portable std::errc conditions; and a small
// category of conditions of our own where the standard has none.

#include <string>
#include <system_error>

namespace tavo {

// The category of the platform's own codes.
const std::error_category& system_category() noexcept;

// The platform's code `code` (a GetLastError or errno value) in system_category().
std::error_code system_error_code(int code) noexcept;

// The calling thread's last system error (GetLastError, errno), and setting it.
std::error_code last_system_error() noexcept;
void set_last_system_error(int code) noexcept;

// The platform's description of its code, one line (FormatMessageW in English where it can, strerror).
std::string system_error_description(int code);

// Conditions of our own, each a set of platform codes that the standard's conditions do not draw.
enum class ErrorCondition {
  not_found = 1,     // nothing there: no such entry, a folder missing on the way, a file in the way, a bad name
  missing_parent,    // narrower: a folder on the way is missing (worth creating it)
  transient_rename,  // a rename that may pass by itself: another program briefly holds the folder
};
const std::error_category& condition_category() noexcept;
std::error_condition make_error_condition(ErrorCondition condition) noexcept;

namespace detail {
// The platform halves of the two categories.
std::error_condition portable_condition(int code) noexcept;
bool matches(int code, ErrorCondition condition) noexcept;
}  // namespace detail

}  // namespace tavo

template <>
struct std::is_error_condition_enum<tavo::ErrorCondition> : std::true_type {};
