#include <windows.h>

#include "stand_in_tools.hpp"

namespace tavo::test {

// Wine starts "runas" programs without a prompt; on Windows the consent prompt would wait for somebody.
bool elevation_without_prompt() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace tavo::test
