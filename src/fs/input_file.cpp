#include "fs/input_file.hpp"

namespace tavo::fs {

std::optional<InputFile> InputFile::open_in(const HeldFolder& folder, std::wstring_view relative,
                                            std::error_code& error) {
  // A NUL would end the name early at the system call: such a name names no file.
  if (relative.find(L'\0') != std::wstring_view::npos) {
    error = std::make_error_code(std::errc::invalid_argument);
    return std::nullopt;
  }
  std::size_t last = relative.find_last_of(L"/\\");
  if (last == std::wstring_view::npos) return open_at(folder, relative, error);
  HeldFolder parent;
  if ((error = folder.open_folder(relative.substr(0, last), parent))) return std::nullopt;
  return open_at(parent, relative.substr(last + 1), error);
}

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
