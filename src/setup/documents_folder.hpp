#pragma once

#include <optional>

#include "fs/path.hpp"

namespace tavo::setup {

// The user's Documents folder, or nothing when it is unavailable.
std::optional<fs::Path> documents_folder();

}  // namespace tavo::setup
