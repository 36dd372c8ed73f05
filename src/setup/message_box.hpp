#pragma once

#include <string>

namespace tavo::setup {

// A modal box without owner window; returns the button pressed (kIdOk, ...), or 0 when it cannot be shown.
// Off Windows: title, text and an empty line on standard error; the OK/Cancel box reads its answer from
// one line of standard input.
int show_message_box(const std::wstring& text, const std::wstring& title, unsigned type);

}  // namespace tavo::setup
