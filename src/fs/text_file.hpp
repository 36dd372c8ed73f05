#pragma once
// Small text files that the setup writes itself (8-bit text, text mode: CR LF on Windows), and the first line
// of one that it reads back.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "common/unique_resource.hpp"
#include "fs/path.hpp"

namespace tavo::fs {

// The platform's descriptor of an open file (a HANDLE or a POSIX descriptor), closed by the platform file.
struct OwnTextFileTraits {
  using type = std::intptr_t;
  static type invalid() noexcept { return -1; }
  static void close(type handle) noexcept;
};

// A plain text file of the setup's own, open for writing: a new file, or an existing regular file with no other
// name (no second hard link), truncated first. Anything else at the path is left alone and refused: a symbolic
// link (dangling or not; on Windows any reparse point but a cloud, deduplicated or compressed file,
// fs/reparse_tags.hpp), a FIFO, a device, a folder. Opening never blocks; others may read the file meanwhile.
class OwnTextFile {
 public:
  // With `new_only`, a file that is already there is refused as well (file_exists).
  static std::optional<OwnTextFile> create(const Path& path, bool new_only, std::error_code& error);

  // Appends the text at the end of what was written (each "\n" as CR LF on Windows).
  [[nodiscard]] std::error_code write(std::string_view text) noexcept;

  // Closes the file; a write that only fails when the data reaches the disk must not pass for success.
  [[nodiscard]] std::error_code close() noexcept;

 private:
  explicit OwnTextFile(std::intptr_t handle) noexcept : handle_(handle) {}
  UniqueResource<OwnTextFileTraits> handle_;
};

// Writes the whole text into a plain file of the setup's own (OwnTextFile's rules). The error says why not;
// nothing that reached the disk is removed.
[[nodiscard]] std::error_code write_own_text_file(const Path& path, std::string_view text);

// The first line of a regular file without its line end, reading at most max_bytes; nothing when the file
// cannot be opened or read, or is not a regular file (a FIFO there must not hang the run).
[[nodiscard]] std::optional<std::string> read_first_line(const Path& path, std::size_t max_bytes);

}  // namespace tavo::fs
