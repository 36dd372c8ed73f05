#include "fs/text_file.hpp"

#include <cstdio>

namespace tavo::fs {

bool write_text_file(const Path& path, std::string_view text) noexcept {
  std::FILE* stream = open_text_file(path, true);
  if (stream == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
  // A write that only fails when the buffer is flushed must not pass for success.
  const bool closed = std::fclose(stream) == 0;
  return written && closed;
}

std::optional<std::string> read_first_line(const Path& path, std::size_t max_bytes) {
  std::FILE* stream = open_text_file(path, false);
  if (stream == nullptr) return std::nullopt;
  std::string line;
  for (int c; line.size() < max_bytes && (c = std::fgetc(stream)) != EOF && c != '\n';) {
    line.push_back(static_cast<char>(c));
  }
  std::fclose(stream);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace tavo::fs
