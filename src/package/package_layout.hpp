#pragma once
// What a setup package holds, by name, as far as the package tool needs it.

namespace tavo::package {

inline constexpr wchar_t kManifestName[] = L"SHA256SUMS.txt";
inline constexpr wchar_t kUserGuideName[] = L"Anleitung.txt";
inline constexpr wchar_t kSetupProgramName[] = L"TAVO-Setup.exe";

// The setup takes exactly these files from the payload folder.
inline constexpr const wchar_t* kPayloadFileNames[] = {
    L"TavoDrv.dll",      L"tusbshim.dll",
    L"tset-template.ini", L"device_binding.exe",
    L"TAVO-starten.exe", L"TAVO-Treiber-installieren.exe",
    L"TAVO-Treiber-entfernen.exe"};

// The original software's folder trees that the setup copies after its link check; "Presets" is optional.
inline constexpr const wchar_t* kSoftwareTrees[] = {L"App", L"Tavo", L"Presets"};

}  // namespace tavo::package
