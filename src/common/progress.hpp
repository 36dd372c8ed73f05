#pragma once
// Where the work of an installation reports how far it has come. The hashing loop and the file copies report
// the bytes they have dealt with; the transaction says which phase it is in. Nobody listens unless the setup
// flow has put a listener in place for the run. Reports come between hash chunks, between files and inside large
// file copies; the window that shows them is served by a thread of its own.

#include <cstdint>
#include <string_view>

namespace tavo::progress {

// The phases in the order a run meets them. Only checking and copying count bytes; the others show what the
// run waits for.
enum class Phase { checking, copying, waiting_for_release, checking_device, setting_up_driver };

class Listener {
 public:
  virtual ~Listener() = default;
  virtual void phase_started(Phase phase) noexcept = 0;
  virtual void bytes_done(std::uint64_t count) noexcept = 0;  // count may be 0: a file begins
  // A line more about the phase (which program holds the files); empty takes it back. Gone with the phase.
  virtual void detail_changed(std::wstring_view text) noexcept = 0;
};

// Reports to the listener in place, if any.
void start_phase(Phase phase) noexcept;
void bytes_done(std::uint64_t count) noexcept;
void show_detail(std::wstring_view text) noexcept;

// Work that counts no bytes (the link check, the flush, the search of the original software) reports that it
// goes on, entry by entry, so that a terminal line or a listener sees it move.
inline void still_working() noexcept { bytes_done(0); }

// Puts a listener in place for its lifetime, and the one before it back afterwards. Reports come from the run's
// own thread only (the hashing thread hands its bytes back to it).
class Listening {
 public:
  explicit Listening(Listener& listener) noexcept;
  Listening(const Listening&) = delete;
  Listening& operator=(const Listening&) = delete;
  ~Listening();

 private:
  Listener* previous_;
};

}  // namespace tavo::progress
