#include <windows.h>

#include "wine_detection.hpp"

namespace tavo::verify::test {

bool running_under_wine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace tavo::verify::test
