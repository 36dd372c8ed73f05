#include <cerrno>
#include <cstring>

#include "common/system_error.hpp"

namespace tavo {

std::error_code last_system_error() noexcept { return system_error_code(errno); }

void set_last_system_error(int code) noexcept { errno = code; }

std::string system_error_description(int code) {
  char buffer[256] = {};
  // GNU strerror_r returns the text, which need not be in the buffer.
  return ::strerror_r(code, buffer, sizeof buffer);
}

namespace detail {

std::error_condition portable_condition(int code) noexcept { return {code, std::generic_category()}; }

bool matches(int code, ErrorCondition condition) noexcept {
  switch (condition) {
    case ErrorCondition::not_found:
      return code == ENOENT || code == ENOTDIR;
    case ErrorCondition::missing_parent:
      return code == ENOENT;
    case ErrorCondition::transient_rename:
      // EACCES is nearly always a lasting lack of rights on POSIX; only a busy folder may pass by itself.
      return code == EBUSY;
  }
  return false;
}

}  // namespace detail
}  // namespace tavo
