#include <windows.h>

#include "setup/message_box.hpp"

namespace tavo::setup {

int show_message_box(const std::wstring& text, const std::wstring& title, unsigned type) {
  return ::MessageBoxW(nullptr, text.c_str(), title.c_str(), type);
}

}  // namespace tavo::setup
