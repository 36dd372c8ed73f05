#include "verify/manifest_names.hpp"

namespace tavo::verify {
namespace {

bool is_manifest_separator(wchar_t c) noexcept { return c == L'/' || c == L'\\'; }

bool has_drive_prefix(std::wstring_view name) noexcept {
  if (name.size() < 2 || name[1] != L':') return false;
  const wchar_t c = name[0];
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

}  // namespace

bool is_valid_payload_name(std::wstring_view name) noexcept {
  if (name.empty() || has_drive_prefix(name)) return false;
  for (const wchar_t c : name) {
    if (is_manifest_separator(c)) return false;
  }
  return true;
}

bool is_valid_software_path(std::wstring_view path) noexcept {
  // A leading separator covers the rooted, network and device forms ("\x", "\\server\share", "\\?\D:\x").
  if (path.empty() || is_manifest_separator(path[0]) || has_drive_prefix(path)) return false;
  std::size_t i = 0;
  while (i < path.size()) {
    std::size_t end = i;
    while (end < path.size() && !is_manifest_separator(path[end])) ++end;
    if (path.substr(i, end - i) == L"..") return false;
    i = end;
    while (i < path.size() && is_manifest_separator(path[i])) ++i;  // a run of separators is one
  }
  return true;
}

}  // namespace tavo::verify
