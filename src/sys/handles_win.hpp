#pragma once
// RAII owners of Win32 handles. Windows build only.

#include <windows.h>

#include "common/unique_resource.hpp"

namespace tavo::win {

// Named by their empty value, as the Windows Implementation Library names them: a file handle (unique_hfile)
// is empty when INVALID_HANDLE_VALUE, every other kernel handle (unique_handle) when null.
using UniqueFileHandle = UniqueAny<HANDLE, &::CloseHandle, -1>;  // CreateFileW and friends
using UniqueHandle = UniqueAny<HANDLE, &::CloseHandle>;          // processes, threads, events
using UniqueFindHandle = UniqueAny<HANDLE, &::FindClose, -1>;

}  // namespace tavo::win
