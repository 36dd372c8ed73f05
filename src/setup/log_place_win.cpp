#include "sys/calls_win.hpp"

#include <vector>

#include "setup/log_place.hpp"

namespace tavo::setup {

LocalTime local_time_now() noexcept {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::optional<fs::Path> temporary_folder() {
  // GetTempPathW answers with the folder and a trailing backslash, or with the size it needs.
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length = sys::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0) return std::nullopt;
    if (length < buffer.size()) return fs::Path(std::wstring(buffer.data(), length));
    buffer.resize(length + 1);
  }
  return std::nullopt;
}

}  // namespace tavo::setup
