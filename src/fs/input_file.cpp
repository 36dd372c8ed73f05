#include "fs/input_file.hpp"

namespace tavo::fs {

std::optional<std::string> InputFile::read_up_to(std::size_t max_bytes) {
  std::string bytes(max_bytes, '\0');
  std::size_t filled = 0;
  while (filled < max_bytes) {
    const std::optional<std::size_t> got =
        read(reinterpret_cast<unsigned char*>(bytes.data()) + filled, max_bytes - filled);
    if (!got) return std::nullopt;
    if (*got == 0) break;
    filled += *got;
  }
  bytes.resize(filled);
  return bytes;
}

}  // namespace tavo::fs
