#include "fs/text_file.hpp"

#include <algorithm>

#include "fs/input_file.hpp"
#include "fs/text_mode.hpp"

namespace tavo::fs {

std::error_code write_own_text_file(const Path& path, std::string_view text) {
  std::error_code error;
  std::optional<OwnTextFile> file = OwnTextFile::create(path, false, error);
  if (!file) return error;
  if ((error = file->write(text))) return error;
  return file->close();
}

std::optional<std::string> read_first_line(const Path& path, std::size_t max_bytes) {
  std::optional<InputFile> file = InputFile::open(path);
  if (!file) return std::nullopt;
  std::optional<std::string> line = file->read_up_to(max_bytes);
  if (!line) return std::nullopt;
  const std::size_t end = std::min(line->find('\n'), text_mode_end(*line));
  if (end != std::string::npos) line->resize(end);
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return line;
}

}  // namespace tavo::fs
