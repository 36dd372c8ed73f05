#include "setup/user_dirs.hpp"

namespace tavo::setup {
namespace {

constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR";
constexpr std::string_view kHome = "$HOME";

void skip_blanks(std::string_view& s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
}

bool consume(std::string_view& s, std::string_view prefix) {
  if (s.substr(0, prefix.size()) != prefix) return false;
  s.remove_prefix(prefix.size());
  return true;
}

// The text up to the closing quote, with the escapes of a shell's double quotes; nothing without that quote.
std::optional<std::string> unquote(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"') return out;
    if (c == '\\' && i + 1 < s.size() && std::string_view("$`\"\\").find(s[i + 1]) != std::string_view::npos) {
      out.push_back(s[++i]);
      continue;
    }
    out.push_back(c);
  }
  return std::nullopt;
}

std::optional<std::string> parse_line(std::string_view line, std::string_view home) {
  skip_blanks(line);
  if (!consume(line, kKey)) return std::nullopt;
  skip_blanks(line);
  if (!consume(line, "=")) return std::nullopt;
  skip_blanks(line);
  if (!consume(line, "\"")) return std::nullopt;
  std::optional<std::string> value = unquote(line);
  if (!value) return std::nullopt;
  std::string folder;
  if (value->compare(0, kHome.size(), kHome) == 0 && (value->size() == kHome.size() || (*value)[kHome.size()] == '/')) {
    if (home.empty()) return std::nullopt;
    folder = std::string(home) + value->substr(kHome.size());
  } else if (!value->empty() && value->front() == '/') {
    folder = *value;
  } else {
    return std::nullopt;  // "$HOMEX", a relative path, an empty value
  }
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

}  // namespace

std::optional<std::string> documents_dir_from_user_dirs(std::string_view text, std::string_view home) {
  std::optional<std::string> found;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (std::optional<std::string> folder = parse_line(line, home)) found = std::move(folder);
  }
  return found;
}

}  // namespace tavo::setup
