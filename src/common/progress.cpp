#include "common/progress.hpp"

namespace tavo::progress {
namespace {

Listener* current = nullptr;

}  // namespace

void start_phase(Phase phase) noexcept {
  if (current != nullptr) current->phase_started(phase);
}

void bytes_done(std::uint64_t count) noexcept {
  if (current != nullptr) current->bytes_done(count);
}

void show_detail(std::wstring_view text) noexcept {
  if (current != nullptr) current->detail_changed(text);
}

Listening::Listening(Listener& listener) noexcept : previous_(current) { current = &listener; }

Listening::~Listening() { current = previous_; }

}  // namespace tavo::progress
