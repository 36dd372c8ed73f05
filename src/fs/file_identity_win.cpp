#include "sys/calls_win.hpp"

#include <cstring>

#include "common/system_error.hpp"
#include "fs/file_identity.hpp"

namespace tavo::fs {
namespace {

HANDLE as_handle(std::intptr_t value) noexcept { return reinterpret_cast<HANDLE>(value); }

std::int64_t as_number(const LARGE_INTEGER& value) noexcept { return value.QuadPart; }

}  // namespace

std::error_code identity_of(std::intptr_t handle, FileIdentity& identity) noexcept {
  // The 128-bit id: the 64-bit index of BY_HANDLE_FILE_INFORMATION is not unique on ReFS.
  // https://learn.microsoft.com/windows/win32/api/winbase/ns-winbase-file_id_info
  FILE_ID_INFO id{};
  if (sys::GetFileInformationByHandleEx(as_handle(handle), FileIdInfo, &id, sizeof id)) {
    identity.volume = id.VolumeSerialNumber;
    std::memcpy(&identity.low, id.FileId.Identifier, sizeof identity.low);
    std::memcpy(&identity.high, id.FileId.Identifier + sizeof identity.low, sizeof identity.high);
    return {};
  }
  // File systems without 128-bit ids (FAT) answer with the 64-bit index, which NTFS widens the same way.
  BY_HANDLE_FILE_INFORMATION info{};
  if (!sys::GetFileInformationByHandle(as_handle(handle), &info)) return last_system_error();
  identity.volume = info.dwVolumeSerialNumber;
  identity.high = 0;
  identity.low = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return {};
}

std::error_code fingerprint_of(std::intptr_t handle, Fingerprint& fingerprint) noexcept {
  if (const std::error_code error = identity_of(handle, fingerprint.identity)) return error;
  FILE_BASIC_INFO basic{};
  FILE_STANDARD_INFO standard{};
  if (!sys::GetFileInformationByHandleEx(as_handle(handle), FileBasicInfo, &basic, sizeof basic) ||
      !sys::GetFileInformationByHandleEx(as_handle(handle), FileStandardInfo, &standard, sizeof standard)) {
    return last_system_error();
  }
  fingerprint.size = static_cast<std::uint64_t>(as_number(standard.EndOfFile));
  fingerprint.modified = as_number(basic.LastWriteTime);
  fingerprint.changed = as_number(basic.ChangeTime);
  return {};
}

std::wstring comparable_place(std::wstring_view place) {
  // Names compare as the file system compares them: ordinal, upper-cased without a locale's rules.
  std::wstring key(place);
  for (wchar_t& c : key) c = c == L'\\' ? L'/' : c;
  if (!key.empty()) {
    ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, key.data(), static_cast<int>(key.size()), key.data(),
                    static_cast<int>(key.size()), nullptr, nullptr, 0);
  }
  return key;
}

}  // namespace tavo::fs
