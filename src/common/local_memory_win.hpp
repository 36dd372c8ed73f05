#pragma once
// The owner of memory that Windows hands over with LocalAlloc (FormatMessageW, CommandLineToArgvW).

#include <windows.h>

#include "common/unique_resource.hpp"

namespace tavo::win {

struct LocalMemoryTraits {
  using type = void*;
  static type invalid() noexcept { return nullptr; }
  static void close(type p) noexcept { ::LocalFree(p); }
};
using UniqueLocalMemory = UniqueResource<LocalMemoryTraits>;

}  // namespace tavo::win
