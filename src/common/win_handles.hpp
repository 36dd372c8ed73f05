#pragma once
// RAII owners of Win32 handles. Windows build only.

#include <windows.h>

#include "common/unique_resource.hpp"

namespace tavo::win {

struct KernelHandleTraits {  // CreateFileW and friends: INVALID_HANDLE_VALUE on failure
  using type = HANDLE;
  static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(type h) noexcept { ::CloseHandle(h); }
};
using UniqueHandle = UniqueResource<KernelHandleTraits>;

struct ProcessHandleTraits {  // process and thread handles: null on failure
  using type = HANDLE;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { ::CloseHandle(h); }
};
using UniqueProcessHandle = UniqueResource<ProcessHandleTraits>;

struct FindHandleTraits {
  using type = HANDLE;
  static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(type h) noexcept { ::FindClose(h); }
};
using UniqueFindHandle = UniqueResource<FindHandleTraits>;

struct LocalMemoryTraits {
  using type = void*;
  static type invalid() noexcept { return nullptr; }
  static void close(type p) noexcept { ::LocalFree(p); }
};
using UniqueLocalMemory = UniqueResource<LocalMemoryTraits>;

}  // namespace tavo::win
