#pragma once
// The owner of memory that Windows hands over with LocalAlloc (FormatMessageW, CommandLineToArgvW).

#include <windows.h>

#include "common/unique_resource.hpp"

namespace tavo::win {

using UniqueLocalMemory = UniqueAny<void*, &::LocalFree>;

}  // namespace tavo::win
