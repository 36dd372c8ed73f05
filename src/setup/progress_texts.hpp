#pragma once
// What the progress window and the progress line say.

#include <cstdint>
#include <cstdio>

#include "setup/progress_meter.hpp"

namespace tavo::setup {

inline constexpr wchar_t kProgressTitle[] = L"TAVO-Einrichtung";

inline const char* phase_text(progress::Phase phase) noexcept {
  switch (phase) {
    case progress::Phase::checking: return "Dateien werden geprueft";
    case progress::Phase::copying: return "Dateien werden kopiert";
    case progress::Phase::waiting_for_release: return "Warten auf Freigabe der Dateien";
    case progress::Phase::checking_device: return "Geraet wird geprueft";
    case progress::Phase::setting_up_driver: return "Treiber wird eingerichtet";
  }
  return "";
}

// Whether the phase counts bytes; the others have no amount to show.
inline bool counts_bytes(progress::Phase phase) noexcept {
  return phase == progress::Phase::checking || phase == progress::Phase::copying;
}

// Empty in a phase that counts no bytes. "1.234 MB geprueft" while checking, "45 % - 461 von 1.024 MB" while copying; MB of 1,000,000 bytes, thousands
// separated by dots as German readers expect. Written into buffer, always terminated.
inline void amount_text(const ProgressState& state, char* buffer, std::size_t size) noexcept {
  if (size == 0) return;
  if (!counts_bytes(state.phase)) {
    buffer[0] = '\0';
    return;
  }
  auto megabytes = [](std::uint64_t bytes, char* out, std::size_t out_size) {
    char digits[24];
    const int count = std::snprintf(digits, sizeof digits, "%llu", static_cast<unsigned long long>(bytes / 1000000));
    std::size_t at = 0;
    for (int i = 0; i < count && at + 2 < out_size; ++i) {
      if (i > 0 && (count - i) % 3 == 0) out[at++] = '.';
      out[at++] = digits[i];
    }
    out[at] = '\0';
  };
  char done[32];
  megabytes(state.done, done, sizeof done);
  if (const std::optional<unsigned> permille = state.permille()) {
    char total[32];
    megabytes(*state.total, total, sizeof total);
    std::snprintf(buffer, size, "%u %% - %s von %s MB", *permille / 10, done, total);
  } else {
    std::snprintf(buffer, size, "%s MB geprueft", done);
  }
}

}  // namespace tavo::setup
