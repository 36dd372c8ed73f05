// The path grammar of both styles on any text: the lexical normal form, join, the long-path text and the
// absolute normal form on a fixed current folder (the way the POSIX absolute form is made: the current folder
// joined with the path).
//
// Input: a base and a path, cut at the first NUL; each byte is one character.
#include <string>

#include "fs/path.hpp"
#include "fuzz_support.hpp"

namespace tavo::fuzz {
namespace {

using fs::Path;
using fs::Style;

std::wstring_view root_name(std::wstring_view text, Style style) {
  return text.substr(0, fs::split_root(text, style).root_name_end);
}

bool has_dot_dot_element(std::wstring_view text, Style style) {
  std::size_t i = fs::split_root(text, style).root_directory_end;
  while (i < text.size()) {
    std::size_t end = i;
    while (end < text.size() && !fs::is_separator(text[end], style)) ++end;
    if (text.substr(i, end - i) == L"..") return true;
    i = end + 1;
  }
  return false;
}

void check_normal_form(const std::wstring& text, Style style) {
  const Path normal = fs::lexically_normal(Path(text), style);
  check(fs::lexically_normal(normal, style) == normal, "the normal form is its own normal form");
  check(text.empty() == normal.empty(), "only the empty path has an empty normal form");
  if (!fs::is_absolute(text, style)) check(!fs::is_absolute(normal.text(), style), "relative stays relative");
  if (fs::is_absolute(text, style)) check(fs::is_absolute(normal.text(), style), "absolute stays absolute");

  std::wstring name(root_name(text, style));
  for (wchar_t& c : name) c = c == L'/' ? fs::preferred_separator(style) : c;
  check(root_name(normal.text(), style) == name, "the root name stays, with backslashes");
  if (style == Style::windows) {
    check(normal.text().find(L'/') == std::wstring::npos, "only backslashes separate");
  }
}

void check_join(const std::wstring& base, const std::wstring& rel, Style style) {
  const Path joined = fs::join(Path(base), rel, style);
  const fs::PathParts rel_parts = fs::split_root(rel, style);
  if (rel_parts.root_directory_end == 0) {
    // A relative path without root name is put after the base as written.
    const std::wstring& t = joined.text();
    check(t.size() >= base.size() + rel.size() && t.compare(0, base.size(), base) == 0 &&
              t.compare(t.size() - rel.size(), rel.size(), rel) == 0,
          "join keeps base and relative path as written");
    check(t.size() <= base.size() + rel.size() + 1, "join adds at most one separator");
  }
}

// The absolute normal form of a path on the current folder `cwd` (absolute and in normal form).
void check_absolute_form(const Path& cwd, const std::wstring& text, Style style) {
  if (text.empty()) return;
  const std::wstring_view name = root_name(text, style);
  if (!name.empty() && name != root_name(cwd.text(), style)) return;  // another drive's current folder
  const Path absolute = fs::is_absolute(text, style) ? Path(text) : fs::join(cwd, text, style);
  const Path normal = fs::lexically_normal(absolute, style);
  check(fs::is_absolute(normal.text(), style), "the absolute form is absolute");
  check(fs::lexically_normal(normal, style) == normal, "the absolute normal form is its own normal form");
  if (fs::split_root(text, style).root_directory_end == 0 && !has_dot_dot_element(text, style)) {
    check(fs::is_within(normal, cwd, style), "a relative path without \"..\" stays below the current folder");
  }

  const std::wstring long_text = fs::long_path_text(normal.text(), style);
  check(fs::long_path_text(long_text, style) == long_text, "the long-path text is its own long-path text");
  if (style == Style::windows) {
    check(long_text.compare(0, 4, L"\\\\?\\") == 0, "the long-path text has the extended-length prefix");
    check(long_text.find(L'/') == std::wstring::npos, "the long-path text has backslashes only");
  } else {
    check(long_text == normal.text(), "POSIX has no long-path prefix");
  }
}

}  // namespace
}  // namespace tavo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavo::fuzz;
  const auto parts = fields(bytes_of(data, size), 2);
  const std::wstring base = wide_from_bytes(parts[0]);
  const std::wstring path = wide_from_bytes(parts[1]);
  for (const Style style : {Style::windows, Style::posix}) {
    check_normal_form(base, style);
    check_normal_form(path, style);
    check_join(base, path, style);
  }
  check_absolute_form(Path(L"D:\\Arbeit\\Paket"), path, Style::windows);
  check_absolute_form(Path(L"\\\\server\\share\\Arbeit"), path, Style::windows);
  check_absolute_form(Path(L"/home/arbeit/Paket"), path, Style::posix);
  return 0;
}
