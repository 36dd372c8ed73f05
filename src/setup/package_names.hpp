#pragma once
// The names that the setup writes beside itself and the default target's name (the package's own names are
// in verify/package_layout.hpp).

namespace tavo::setup {

inline constexpr wchar_t kResultFileName[] = L"Setup-Ergebnis.txt";
inline constexpr wchar_t kDefaultTargetName[] = L"Tessaroll TAVO-x64";

}  // namespace tavo::setup
