#include "fs/text_mode.hpp"

namespace tavo::fs {

void drop_text_mode_cr(std::string& line_before_lf) {
  if (!line_before_lf.empty() && line_before_lf.back() == '\r') line_before_lf.pop_back();
}

std::size_t text_mode_end(std::string_view bytes) noexcept { return bytes.find('\x1a'); }

}  // namespace tavo::fs
