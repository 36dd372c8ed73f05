#include "setup/log_place.hpp"

#include <cwchar>

namespace tavo::setup {

std::wstring log_file_name(const LocalTime& time, std::uint32_t process_id) {
  wchar_t text[64];
  std::swprintf(text, sizeof text / sizeof text[0], L"TAVO-Setup %04d-%02d-%02d %02d-%02d-%02d %lu.log", time.year,
                time.month, time.day, time.hour, time.minute, time.second, static_cast<unsigned long>(process_id));
  return text;
}

std::optional<fs::Path> default_log_file(std::uint32_t process_id) {
  const std::optional<fs::Path> folder = temporary_folder();
  if (!folder) return std::nullopt;
  return fs::join(*folder, log_file_name(local_time_now(), process_id));
}

}  // namespace tavo::setup
