#pragma once
// Which file a handle reaches, and what a file looked like when it was read: enough to tell whether a file
// copied later is the very file, unchanged, that a check read earlier.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <system_error>

namespace tavo::fs {

// The file's identity on its volume: device and inode natively; on Windows the volume serial number and the
// 128-bit file id (the 64-bit index is not unique on ReFS).
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t high = 0;
  std::uint64_t low = 0;
  friend bool operator==(const FileIdentity& a, const FileIdentity& b) noexcept {
    return a.volume == b.volume && a.high == b.high && a.low == b.low;
  }
  friend bool operator!=(const FileIdentity& a, const FileIdentity& b) noexcept { return !(a == b); }
  friend bool operator<(const FileIdentity& a, const FileIdentity& b) noexcept {
    return a.volume != b.volume ? a.volume < b.volume : a.high != b.high ? a.high < b.high : a.low < b.low;
  }
};

// A file's identity, size and modification and change times. Natively a writer cannot set the change time
// back, so equal fingerprints before and after a copy mean that the content was not written in between.
struct Fingerprint {
  FileIdentity identity;
  std::uint64_t size = 0;
  std::int64_t modified = 0;
  std::int64_t changed = 0;
  friend bool operator==(const Fingerprint& a, const Fingerprint& b) noexcept {
    return a.identity == b.identity && a.size == b.size && a.modified == b.modified && a.changed == b.changed;
  }
  friend bool operator!=(const Fingerprint& a, const Fingerprint& b) noexcept { return !(a == b); }
};

// The identity of the open file or folder `handle` (a POSIX descriptor or a HANDLE).
[[nodiscard]] std::error_code identity_of(std::intptr_t handle, FileIdentity& identity) noexcept;

// The fingerprint of the open file `handle` (a POSIX descriptor or a HANDLE).
[[nodiscard]] std::error_code fingerprint_of(std::intptr_t handle, Fingerprint& fingerprint) noexcept;

// The files that a check hashed, each by its place below the package ("/" between names, compared as the
// platform compares names), with its fingerprint at the hash.
class HashedFiles {
 public:
  void add(std::wstring_view place, const Fingerprint& fingerprint);
  // The fingerprint taken at the hash; null when the file was not hashed.
  [[nodiscard]] const Fingerprint* find(std::wstring_view place) const;

 private:
  std::map<std::wstring, Fingerprint> files_;
};

// The error of a copy whose source is no longer the file, or no longer has the content, that was hashed.
[[nodiscard]] std::error_code changed_since_hash() noexcept;

// The key under which HashedFiles keeps a place: separators as "/", letters folded where names ignore case.
[[nodiscard]] std::wstring comparable_place(std::wstring_view place);

}  // namespace tavo::fs
