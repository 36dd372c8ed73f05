#include <cerrno>
#include <cstring>

#include "common/utf8.hpp"
#include "fs/filesystem_error.hpp"

namespace tavo::fs {

std::string system_error_description(int code) {
  char buffer[256] = {};
  // GNU strerror_r returns the text, which need not be in the buffer.
  return ::strerror_r(code, buffer, sizeof buffer);
}

std::string narrow_for_message(const Path& path) { return utf8_from_wide(path.text()); }

int last_system_error() noexcept { return errno; }

}  // namespace tavo::fs
