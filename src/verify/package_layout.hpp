#pragma once
// What a setup package holds, by name: the one place of these names for the setup and the package tool.

#include <cstddef>

namespace tavo::verify {

inline constexpr wchar_t kSourceFolderName[] = L"Originalsoftware";  // the original software
inline constexpr wchar_t kPayloadFolderName[] = L"Dateien";           // the payload
inline constexpr wchar_t kManifestName[] = L"SHA256SUMS.txt";         // in each of the two folders
inline constexpr wchar_t kUserGuideName[] = L"Anleitung.txt";         // beside the two folders

// The payload: exactly these files, each named once in its manifest. The patched driver DLL comes first.
inline constexpr std::size_t kPayloadFileCount = 7;
inline constexpr const wchar_t* kPayloadFileNames[kPayloadFileCount] = {
    L"TavoDrv.dll",      L"tusbshim.dll",
    L"tset-template.ini", L"device_binding.exe",
    L"TAVO-starten.exe", L"TAVO-Treiber-installieren.exe",
    L"TAVO-Treiber-entfernen.exe"};
inline constexpr const wchar_t* kPatchedDriverDllName = kPayloadFileNames[0];

// The original software's manifest lists at least this many files.
inline constexpr std::size_t kLeastSoftwareFiles = 100;

// The original software's folder trees that the installation copies; "Presets" is optional.
inline constexpr wchar_t kAppTree[] = L"App";
inline constexpr wchar_t kTavoTree[] = L"Tavo";
inline constexpr wchar_t kPresetsTree[] = L"Presets";

// The original software's driver DLL, original or patched build, below the original software.
inline constexpr wchar_t kSourceDriverDllPath[] = L"App/Bin/TavoDrv.dll";

}  // namespace tavo::verify
