#include "verify/manifest_names.hpp"

#include "fs/path.hpp"

namespace tavo::verify {
namespace {

bool is_manifest_separator(wchar_t c) noexcept { return c == L'/' || c == L'\\'; }

}  // namespace

bool is_valid_payload_name(std::wstring_view name) noexcept {
  if (name.empty() || fs::has_drive_prefix(name)) return false;
  for (const wchar_t c : name) {
    if (is_manifest_separator(c)) return false;
  }
  return true;
}

bool is_valid_software_path(std::wstring_view path) noexcept {
  // A leading separator covers the rooted, network and device forms ("\x", "\\server\share", "\\?\D:\x").
  if (path.empty() || is_manifest_separator(path[0]) || fs::has_drive_prefix(path)) return false;
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
