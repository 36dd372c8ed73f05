#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/unique_resource.hpp"
#include "fs/held_folder.hpp"
#include "fs/path.hpp"

namespace tavo::fs {

// The platform's descriptor of an open file (a HANDLE or a POSIX descriptor), closed by the platform file.
struct InputFileTraits {
  using type = std::intptr_t;
  static type invalid() noexcept { return -1; }
  static void close(type handle) noexcept;
};

// A regular file opened for reading, its bytes delivered unchanged, without keeping other processes from
// reading or writing it meanwhile. The system is told that the file is read once, front to back.
class InputFile {
 public:
  // Nothing when the path cannot be opened for reading as a regular file: it is missing, access is refused,
  // or it names a folder or anything else that is not a plain file (a pipe would block, a device never end).
  // The path is used as given.
  static std::optional<InputFile> open(const Path& path);

  // Opens the regular file `relative` below the held `folder` ("/" or "\\" between names), no name on the way
  // followed: a link fails with link_met(), anything but a plain file with the platform's error for it. Others
  // may read the file meanwhile but not write it while it is open on Windows.
  static std::optional<InputFile> open_in(const HeldFolder& folder, std::wstring_view relative,
                                          std::error_code& error);

  // Reads up to size bytes: how many arrived, 0 at the end of the file; nothing when reading failed
  // (last_system_error() then tells why).
  std::optional<std::size_t> read(unsigned char* buffer, std::size_t size) noexcept;

  // What the file looks like now.
  [[nodiscard]] std::error_code fingerprint(Fingerprint& fingerprint) const noexcept {
    return fingerprint_of(handle_.get(), fingerprint);
  }

  // The next bytes up to max_bytes or the end of the file; nothing when reading failed.
  std::optional<std::string> read_up_to(std::size_t max_bytes);

 private:
  explicit InputFile(std::intptr_t handle) noexcept : handle_(handle) {}
  // The platform half of open_in: the plain file `name` in the open folder `folder`, not followed.
  static std::optional<InputFile> open_at(const HeldFolder& folder, std::wstring_view name, std::error_code& error);
  UniqueResource<InputFileTraits> handle_;
};

}  // namespace tavo::fs
