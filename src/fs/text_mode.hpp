#pragma once
// What the platform's C runtime changes when it reads a file in text mode, for readers that read bytes.

#include <string>
#include <string_view>

namespace tavo::fs {

// A line read up to its LF, as text mode delivers it: on Windows its CR LF arrives as LF (the CR before the
// LF is dropped); elsewhere nothing changes.
void drop_text_mode_cr(std::string& line_before_lf);

// Where text mode ends the text: on Windows at the first Ctrl+Z (0x1A); elsewhere at the end (npos).
std::size_t text_mode_end(std::string_view bytes) noexcept;

}  // namespace tavo::fs
