#include "setup/driver_binding.hpp"

#include "common/setup_error.hpp"

namespace tavo::setup {

std::uint32_t ensure_driver_binding(const fs::Path&) { throw SetupError("Device check not available yet"); }

std::uint32_t run_logged_process(const fs::Path&, const std::wstring&, const fs::Path&) {
  throw SetupError("Device check not available yet");
}

}  // namespace tavo::setup
