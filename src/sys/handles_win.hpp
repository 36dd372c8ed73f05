#pragma once
// RAII owners of Win32 handles. Windows build only.

#include <windows.h>

#include "common/unique_resource.hpp"

namespace tavo::win {

// Named by their empty value, as the Windows Implementation Library names them: a file handle (unique_hfile)
// is empty when INVALID_HANDLE_VALUE, every other kernel handle (unique_handle) when null.
struct InvalidValueHandleTraits {  // CreateFileW and friends
  using type = HANDLE;
  static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(type h) noexcept { ::CloseHandle(h); }
};
using UniqueFileHandle = UniqueResource<InvalidValueHandleTraits>;

struct NullHandleTraits {  // processes, threads, events
  using type = HANDLE;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { ::CloseHandle(h); }
};
using UniqueHandle = UniqueResource<NullHandleTraits>;

struct FindHandleTraits {
  using type = HANDLE;
  static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(type h) noexcept { ::FindClose(h); }
};
using UniqueFindHandle = UniqueResource<FindHandleTraits>;

}  // namespace tavo::win
