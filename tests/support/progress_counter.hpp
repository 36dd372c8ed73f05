#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/progress.hpp"

namespace tavo::test {

// Listens to the work's progress reports while it lives: the phases begun and the bytes reported.
class ProgressCounter final : public progress::Listener {
 public:
  void phase_started(progress::Phase phase) noexcept override { phases.push_back(phase); }
  void bytes_done(std::uint64_t count) noexcept override {
    bytes += count;
    ++reports;
  }
  void detail_changed(std::wstring_view text) noexcept override { details.emplace_back(text); }

  std::vector<progress::Phase> phases;
  std::vector<std::wstring> details;
  std::uint64_t bytes = 0;
  int reports = 0;

 private:
  progress::Listening listening_{*this};
};

}  // namespace tavo::test
