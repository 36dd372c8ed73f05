#include "sys/calls_win.hpp"

#include "package/case_folding.hpp"

namespace tavo::package {

std::wstring windows_case_key(std::wstring_view name) {
  std::wstring key(name);
  if (!key.empty()) {
    // learn.microsoft.com/windows/win32/api/winnls/nf-winnls-lcmapstringex: LCMAP_UPPERCASE with the invariant
    // locale maps letter by letter, the length unchanged.
    ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, key.data(), static_cast<int>(key.size()), key.data(),
                    static_cast<int>(key.size()), nullptr, nullptr, 0);
  }
  return key;
}

}  // namespace tavo::package
