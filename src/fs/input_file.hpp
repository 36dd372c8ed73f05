#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/unique_resource.hpp"
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

  // Reads up to size bytes: how many arrived, 0 at the end of the file; nothing when reading failed
  // (last_system_error() then tells why).
  std::optional<std::size_t> read(unsigned char* buffer, std::size_t size) noexcept;

  // The next bytes up to max_bytes or the end of the file; nothing when reading failed.
  std::optional<std::string> read_up_to(std::size_t max_bytes);

 private:
  explicit InputFile(std::intptr_t handle) noexcept : handle_(handle) {}
  UniqueResource<InputFileTraits> handle_;
};

}  // namespace tavo::fs
