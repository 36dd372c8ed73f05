#pragma once
// What the setup flow asks of the desktop: boxes, the Documents folder and COM.

#include <optional>
#include <string>

#include "fs/path.hpp"

namespace tavo::setup {

// A modal box without owner window; returns the button pressed (kIdOk, ...), or 0 when it cannot be shown.
// Off Windows: title, text and an empty line on standard error; the OK/Cancel box reads its answer from
// one line of standard input.
int show_message_box(const std::wstring& text, const std::wstring& title, unsigned type);

// The user's Documents folder, or nothing when it is unavailable.
std::optional<fs::Path> documents_folder();

// CoInitializeEx for a single-threaded apartment; the HRESULT (non-negative: release with uninitialize_com).
long initialize_com();
void uninitialize_com();

}  // namespace tavo::setup
