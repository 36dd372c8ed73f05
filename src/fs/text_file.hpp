#pragma once
// Small text files that the setup writes itself (8-bit text, text mode: CR LF on Windows), and the first line
// of one that it reads back.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "fs/path.hpp"

namespace tavo::fs {

// Writes the text into a plain file of the setup's own: a new file, or an existing regular file with no other
// name (no second hard link), truncated first. Anything else at the path is left alone and makes this return
// false: a symbolic link (dangling or not; on Windows any reparse point but a cloud, deduplicated or compressed
// file, fs/reparse_tags.hpp), a FIFO, a device, a folder. Opening never blocks. False too when creating,
// writing or closing fails; nothing that reached the disk is removed.
[[nodiscard]] bool write_text_file(const Path& path, std::string_view text);

// The first line of a regular file without its line end, reading at most max_bytes; nothing when the file
// cannot be opened or read, or is not a regular file (a FIFO there must not hang the run).
[[nodiscard]] std::optional<std::string> read_first_line(const Path& path, std::size_t max_bytes);

}  // namespace tavo::fs
