#pragma once

#include <string_view>

#include "tavo/driver_digests.hpp"

namespace tavo::verify {

// The two known builds of the instrument's driver DLL, as file_sha256 writes digests. Chosen when the
// program is built; every check of the driver DLL reads them here.
inline constexpr std::string_view original_driver_dll_sha256 = build_config::original_driver_dll_sha256;
inline constexpr std::string_view patched_driver_dll_sha256 = build_config::patched_driver_dll_sha256;

}  // namespace tavo::verify
