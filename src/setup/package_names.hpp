#pragma once
// The names that the setup finds beside itself and the default target's name.

namespace tavo::setup {

inline constexpr wchar_t kResultFileName[] = L"Setup-Ergebnis.txt";
inline constexpr wchar_t kDefaultTargetName[] = L"Tessaroll TAVO-x64";
inline constexpr wchar_t kSourceFolderName[] = L"Originalsoftware";

}  // namespace tavo::setup
