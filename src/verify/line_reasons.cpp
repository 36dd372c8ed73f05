#include "verify/line_reasons.hpp"

#include <algorithm>

#include "verify/manifest_lines.hpp"

namespace tavo::verify {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool is_hex_digit(char c) noexcept {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool is_hex(std::string_view text) noexcept { return std::all_of(text.begin(), text.end(), is_hex_digit); }

char lower(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string layout_reason(std::string_view line, LinePlace place) {
  if (place.first && line.substr(0, kByteOrderMark.size()) == kByteOrderMark) return "byte-order mark at the start";
  if (line.empty()) return place.last ? "blank last line" : "blank line";
  if (line.size() < kDigestLength || !is_hex(line.substr(0, kDigestLength))) {
    return "no SHA-256 digest of 64 hexadecimal digits at the start";
  }
  const std::string_view rest = line.substr(kDigestLength);
  if (rest.substr(0, 2) == " *") return "binary-mode marker";
  if (rest.size() >= 2 && rest[0] == ' ' && rest[1] != ' ') return "one blank between digest and name, two needed";
  if (rest.empty() || rest == " " || rest == "  ") return "no file name";
  // A layout with two blanks and a name is no refused layout: what is left is a digest that goes on.
  return is_hex_digit(rest[0]) ? "a digest of more than 64 digits" : "no blanks between digest and name";
}

std::string mismatch_reason(std::string_view listed, std::string_view computed) {
  if (!is_hex(listed)) return "the digest is not hexadecimal";
  if (listed.size() == computed.size() &&
      std::equal(listed.begin(), listed.end(), computed.begin(), [](char a, char b) { return lower(a) == b; })) {
    return "digest in upper case";
  }
  return "listed " + std::string(listed) + ", computed " + std::string(computed);
}

std::string count_reason(std::size_t listed, std::size_t needed, bool at_least) {
  return std::to_string(listed) + (listed == 1 ? " file" : " files") + " listed, " + (at_least ? "at least " : "") +
         std::to_string(needed) + " needed";
}

}  // namespace tavo::verify
