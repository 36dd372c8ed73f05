#pragma once

#include <string_view>

namespace tavo::install {

inline constexpr wchar_t kMarkerName[] = L"TAVO-x64-installation.txt";
inline constexpr std::string_view kVersionTag = "TAVO-WIN10-X64-1.0.0";
inline constexpr wchar_t kStagingInfix[] = L".vorbereitung-";

}  // namespace tavo::install
