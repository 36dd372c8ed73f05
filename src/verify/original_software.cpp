#include "verify/original_software.hpp"

#include "common/setup_error.hpp"

namespace tavo::verify {

bool has_original_software(const fs::Path&) { throw SetupError("Original software check not available yet"); }

void check_driver_dll_version(const fs::Path&) { throw SetupError("Driver DLL check not available yet"); }

}  // namespace tavo::verify
