#include <cstdlib>
#include <ctime>

#include "common/utf8.hpp"
#include "setup/log_place.hpp"

namespace tavo::setup {

LocalTime local_time_now() noexcept {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  if (::localtime_r(&now, &parts) == nullptr) return LocalTime{1970, 1, 1, 0, 0, 0};
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec};
}

std::optional<fs::Path> temporary_folder() {
  const char* value = std::getenv("TMPDIR");
  // A relative TMPDIR would put the log wherever the run was started; /tmp is what programs use then.
  if (value == nullptr || value[0] != '/') value = "/tmp";
  return fs::Path(wide_from_utf8(value));
}

}  // namespace tavo::setup
