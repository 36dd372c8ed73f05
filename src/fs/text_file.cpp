#include "fs/text_file.hpp"

namespace tavo::fs {
std::optional<std::string> read_first_line(const Path& path, std::size_t max_bytes) {
  std::optional<std::string> line = detail::read_regular_file_prefix(path, max_bytes, '\n');
  if (line && !line->empty() && line->back() == '\r') line->pop_back();
  return line;
}

}  // namespace tavo::fs
