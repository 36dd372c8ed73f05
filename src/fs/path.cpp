#include "fs/path.hpp"

#include <cwctype>
#include <vector>

namespace tavo::fs {
namespace {

bool is_ascii_letter(wchar_t c) noexcept { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// End of the Windows root name: "D:", "\\?", "\\.", "\??" (each followed by one separator and no second),
// or "\\server" up to the next separator.
std::size_t windows_root_name_end(std::wstring_view t) noexcept {
  auto sep = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  if (t.size() < 2) return 0;
  if (has_drive_prefix(t)) return 2;
  if (!sep(t[0])) return 0;
  if (t.size() >= 4 && sep(t[3]) && (t.size() == 4 || !sep(t[4])) &&
      ((sep(t[1]) && (t[2] == L'?' || t[2] == L'.')) || (t[1] == L'?' && t[2] == L'?'))) {
    return 3;
  }
  if (t.size() >= 3 && sep(t[1]) && !sep(t[2])) {
    std::size_t i = 3;
    while (i < t.size() && !sep(t[i])) ++i;
    return i;
  }
  return 0;
}

struct Elements {
  std::wstring root_name;
  bool root_directory = false;
  std::vector<std::wstring> names;
  bool trailing_separator = false;
};

Elements split(std::wstring_view text, Style style) {
  Elements e;
  const PathParts parts = split_root(text, style);
  e.root_name.assign(text.substr(0, parts.root_name_end));
  e.root_directory = parts.root_directory_end > parts.root_name_end;
  std::size_t i = parts.root_directory_end;
  while (i < text.size()) {
    std::size_t end = i;
    while (end < text.size() && !is_separator(text[end], style)) ++end;
    e.names.emplace_back(text.substr(i, end - i));
    i = end;
    if (i < text.size()) {
      while (i < text.size() && is_separator(text[i], style)) ++i;
      if (i == text.size()) e.trailing_separator = true;
    }
  }
  return e;
}

}  // namespace

Path with_suffix(const Path& path, std::wstring_view suffix) { return Path(path.text() + std::wstring(suffix)); }

bool has_drive_prefix(std::wstring_view text) noexcept {
  return text.size() >= 2 && is_ascii_letter(text[0]) && text[1] == L':';
}

bool is_separator(wchar_t c, Style style) noexcept {
  return c == L'/' || (style == Style::windows && c == L'\\');
}

wchar_t preferred_separator(Style style) noexcept { return style == Style::windows ? L'\\' : L'/'; }

PathParts split_root(std::wstring_view text, Style style) noexcept {
  PathParts parts;
  parts.root_name_end = style == Style::windows ? windows_root_name_end(text) : 0;
  std::size_t i = parts.root_name_end;
  while (i < text.size() && is_separator(text[i], style)) ++i;
  parts.root_directory_end = i;
  return parts;
}

bool is_absolute(std::wstring_view text, Style style) noexcept {
  const PathParts parts = split_root(text, style);
  if (style == Style::posix) return parts.root_directory_end > 0;
  return parts.root_name_end > 0 && parts.root_directory_end > parts.root_name_end;
}

Path join(const Path& base, std::wstring_view rel, Style style) {
  const std::wstring& b = base.text();
  const PathParts rel_parts = split_root(rel, style);
  const bool rel_has_root_name = rel_parts.root_name_end > 0;
  const bool rel_has_root_directory = rel_parts.root_directory_end > rel_parts.root_name_end;
  const bool ends_in_separator = !b.empty() && is_separator(b.back(), style);

  if (!rel_has_root_name && !rel_has_root_directory) {
    const bool bare_drive = style == Style::windows && b.size() == 2 && has_drive_prefix(b);
    std::wstring out = b;
    if (!b.empty() && !ends_in_separator && !bare_drive) out.push_back(preferred_separator(style));
    out.append(rel);
    return Path(std::move(out));
  }

  // The general rule of appending a path that has a root of its own.
  const PathParts base_parts = split_root(b, style);
  const std::wstring_view base_root_name = std::wstring_view(b).substr(0, base_parts.root_name_end);
  const std::wstring_view rel_root_name = rel.substr(0, rel_parts.root_name_end);
  if (is_absolute(rel, style) || (rel_has_root_name && rel_root_name != base_root_name)) {
    return Path(std::wstring(rel));
  }
  if (rel_has_root_directory) {
    return Path(std::wstring(base_root_name) + std::wstring(rel.substr(rel_parts.root_name_end)));
  }
  // Same root name, no root directory ("D:x" onto "D:\a").
  std::wstring out = b;
  const bool base_has_filename = b.size() > base_parts.root_directory_end && !ends_in_separator;
  if (base_has_filename) out.push_back(preferred_separator(style));
  out.append(rel.substr(rel_parts.root_name_end));
  return Path(std::move(out));
}

Path parent(const Path& path, Style style) {
  const std::wstring& t = path.text();
  const PathParts parts = split_root(t, style);
  if (t.size() <= parts.root_directory_end) return path;  // a root, or empty: no parent beyond it
  std::size_t end = t.size();
  if (is_separator(t[end - 1], style)) {
    // A trailing separator ends an empty last element: the parent is everything before it.
    while (end > parts.root_directory_end && is_separator(t[end - 1], style)) --end;
    return Path(t.substr(0, end));
  }
  while (end > parts.root_directory_end && !is_separator(t[end - 1], style)) --end;
  while (end > parts.root_directory_end && is_separator(t[end - 1], style)) --end;
  return Path(t.substr(0, end));
}

Path lexically_normal(const Path& path, Style style) {
  if (path.empty()) return path;
  Elements e = split(path.text(), style);
  const wchar_t sep = preferred_separator(style);

  for (wchar_t& c : e.root_name) {
    if (c == L'/') c = sep;
  }

  // "." elements go with the separator after them; a last "." leaves the separator before it.
  std::vector<std::wstring> kept;
  for (std::size_t i = 0; i < e.names.size(); ++i) {
    const bool last = i + 1 == e.names.size();
    if (e.names[i] == L".") {
      if (last) e.trailing_separator = !kept.empty();
      continue;
    }
    kept.push_back(std::move(e.names[i]));
  }

  // "x/.." pairs go; a ".." at the end leaves the separator before x.
  std::vector<std::wstring> names;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    const bool last = i + 1 == kept.size();
    if (kept[i] == L".." && !names.empty() && names.back() != L"..") {
      names.pop_back();
      if (last) e.trailing_separator = !names.empty();
      continue;
    }
    names.push_back(std::move(kept[i]));
  }

  if (e.root_directory) {
    std::size_t leading = 0;
    while (leading < names.size() && names[leading] == L"..") ++leading;
    names.erase(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(leading));
  }
  if (!names.empty() && names.back() == L"..") e.trailing_separator = false;
  const auto compose = [&] {
    std::wstring out = e.root_name;
    if (e.root_directory) out.push_back(sep);
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (i > 0) out.push_back(sep);
      out += names[i];
    }
    if (e.trailing_separator && !names.empty()) out.push_back(sep);
    return out;
  };
  std::wstring out = compose();
  // A first element can read as (part of) a root name once the elements before it are gone: "a\..\C:\x"
  // would become "C:\x" and "\..\??\D:" would become "\??\D:", relative paths turned absolute. A "." in
  // front keeps it an element.
  if (!names.empty() && split_root(out, style).root_name_end != e.root_name.size()) {
    names.insert(names.begin(), L".");
    out = compose();
  }
  if (out.empty()) out = L".";
  return Path(std::move(out));
}

Path without_trailing_separators(const Path& path, Style style) {
  const std::wstring& t = path.text();
  const PathParts parts = split_root(t, style);
  std::size_t end = t.size();
  while (end > parts.root_directory_end && is_separator(t[end - 1], style)) --end;
  return Path(t.substr(0, end));
}

bool is_within(const Path& inner, const Path& outer, Style style) {
  const std::wstring a = without_trailing_separators(inner, style).text();
  const std::wstring b = without_trailing_separators(outer, style).text();
  if (b.empty() || a.size() < b.size()) return false;
  for (std::size_t i = 0; i < b.size(); ++i) {
    const bool same = style == Style::windows ? std::towupper(a[i]) == std::towupper(b[i]) : a[i] == b[i];
    if (!same && !(is_separator(a[i], style) && is_separator(b[i], style))) return false;
  }
  // "D:\Paket\App2" is not within "D:\Paket\App"; a root such as "D:" ends in its own separator.
  return a.size() == b.size() || is_separator(a[b.size()], style) || is_separator(b.back(), style);
}

std::wstring long_path_text(std::wstring_view t, Style style) {
  if (style == Style::posix) return std::wstring(t);
  if (t.substr(0, 4) == L"\\\\?\\") return std::wstring(t);
  if (t.substr(0, 2) == L"\\\\") return L"\\\\?\\UNC\\" + std::wstring(t.substr(2));
  return L"\\\\?\\" + std::wstring(t);
}

}  // namespace tavo::fs
