#include "fs/path_forms.hpp"

namespace tavo::fs {

Path absolute_normal_form(const Path& path) {
  if (path.empty()) return path;
  return lexically_normal(absolute(path));
}

Path long_path_form(const Path& path) {
  return Path(long_path_text(lexically_normal(absolute(path)).text()));
}

std::wstring system_path_text(const Path& path) {
  if (path.empty()) return {};
  const Path full = absolute(path);
  // A device ("NUL" becomes "\\.\NUL", a pipe "\\.\pipe\x") is not a file path: it has no long-path form.
  const std::wstring& text = full.text();
  if (text.rfind(L"\\\\.\\", 0) == 0 || text.rfind(L"\\??\\", 0) == 0) return text;
  return long_path_text(lexically_normal(full).text());
}

}  // namespace tavo::fs
