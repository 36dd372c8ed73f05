#include <windows.h>

#include "support/wine_detection.hpp"

namespace tavo::test {

bool running_under_wine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace tavo::test
