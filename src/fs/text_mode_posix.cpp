#include "fs/text_mode.hpp"

namespace tavo::fs {

void drop_text_mode_cr(std::string&) {}

std::size_t text_mode_end(std::string_view) noexcept { return std::string_view::npos; }

}  // namespace tavo::fs
