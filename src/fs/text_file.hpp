#pragma once
// Small text files that the setup writes itself (8-bit text, text mode: CR LF on Windows).

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "fs/path.hpp"

namespace tavo::fs {

// Creates or truncates the file and writes the text in text mode; false when opening, writing or closing fails.
bool write_text_file(const Path& path, std::string_view text) noexcept;

// The first line of a text file without its line end, reading at most max_bytes; nothing when the file cannot
// be opened.
std::optional<std::string> read_first_line(const Path& path, std::size_t max_bytes);

// The platform half: opens the file in text mode with sharing that locks nobody out.
std::FILE* open_text_file(const Path& path, bool write) noexcept;

}  // namespace tavo::fs
