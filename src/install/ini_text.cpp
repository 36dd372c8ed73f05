#include "install/ini_text.hpp"

#include <optional>

namespace tavo::install {
namespace {

struct Line {
  std::size_t begin;
  std::size_t content_end;  // before the line end
  std::size_t end;          // after the line end
};

bool is_blank(wchar_t c) noexcept { return c == L' ' || c == L'\t'; }

std::wstring_view trimmed(std::wstring_view text) noexcept {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

wchar_t ascii_lower(wchar_t c) noexcept { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool equal_ignoring_case(std::wstring_view a, std::wstring_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  }
  return true;
}

std::optional<Line> line_at(std::wstring_view text, std::size_t begin) noexcept {
  if (begin >= text.size()) return std::nullopt;
  const std::size_t newline = text.find(L'\n', begin);
  if (newline == std::wstring_view::npos) {
    // A CR at the very end begins the line end that an added line completes with its LF.
    return Line{begin, text.back() == L'\r' ? text.size() - 1 : text.size(), text.size()};
  }
  const std::size_t content_end = newline > begin && text[newline - 1] == L'\r' ? newline - 1 : newline;
  return Line{begin, content_end, newline + 1};
}

std::wstring_view line_end_style(std::wstring_view text) noexcept {
  const std::size_t newline = text.find(L'\n');
  if (newline != std::wstring_view::npos && (newline == 0 || text[newline - 1] != L'\r')) return L"\n";
  return L"\r\n";
}

// What ends the text's last line before a line is added: nothing after LF, the LF after a CR, else a line end.
std::wstring_view completion_of_last_line(std::wstring_view text, std::wstring_view eol) noexcept {
  if (text.empty() || text.back() == L'\n') return L"";
  return text.back() == L'\r' ? L"\n" : eol;
}

// The name of a section header line ("[name]"), or nothing for any other line.
std::optional<std::wstring_view> section_name(std::wstring_view content) noexcept {
  if (content.empty() || content.front() != L'[') return std::nullopt;
  content.remove_prefix(1);
  return trimmed(content.substr(0, content.find(L']')));
}

// The key of an entry line: the text before "=" (or the whole line), without surrounding blanks.
std::wstring_view key_name(std::wstring_view content) noexcept {
  return trimmed(content.substr(0, content.find(L'=')));
}

}  // namespace

std::wstring with_profile_string(std::wstring_view text, std::wstring_view section, std::wstring_view key,
                                 std::wstring_view value) {
  const std::wstring_view eol = line_end_style(text);
  std::wstring entry = std::wstring(key) + L"=" + std::wstring(value);

  bool in_section = false;
  std::optional<Line> last_filled;  // the section's last non-blank line, its header at least
  for (std::optional<Line> line = line_at(text, 0); line; line = line_at(text, line->end)) {
    const std::wstring_view content = trimmed(text.substr(line->begin, line->content_end - line->begin));
    if (const auto name = section_name(content)) {
      if (in_section) break;  // only the first section of that name counts
      in_section = equal_ignoring_case(*name, section);
      if (in_section) last_filled = line;
      continue;
    }
    if (!in_section || content.empty()) continue;
    last_filled = line;
    const std::wstring_view existing_key = key_name(content);
    if (equal_ignoring_case(existing_key, key)) {
      // The key keeps its spelling in the file; only the line's text before its line end changes.
      std::wstring out(text.substr(0, line->begin));
      out.append(existing_key).append(L"=").append(value);
      out.append(text.substr(line->content_end));
      return out;
    }
  }

  std::wstring out;
  if (last_filled) {
    out.assign(text.substr(0, last_filled->end));
    out.append(completion_of_last_line(out, eol));
    out.append(entry).append(eol);
    out.append(text.substr(last_filled->end));
    return out;
  }
  out.assign(text);
  out.append(completion_of_last_line(out, eol));
  out.append(L"[").append(section).append(L"]").append(eol);
  out.append(entry).append(eol);
  return out;
}

}  // namespace tavo::install
