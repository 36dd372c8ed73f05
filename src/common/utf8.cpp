#include "common/utf8.hpp"

#include <cstdint>

namespace tavo {
namespace {

constexpr char32_t kEscapeBase = 0xDC00;

constexpr char32_t kReplacement = 0xFFFD;

void append_code_point(std::wstring& out, char32_t cp) {
  if constexpr (sizeof(wchar_t) == 2) {
    append_utf16(out, cp);
  } else {
    out.push_back(static_cast<wchar_t>(cp));
  }
}

// Code points past U+10FFFF have no UTF-8 form (a 32-bit wchar_t can hold them): they become U+FFFD.
void append_utf8(std::string& out, char32_t cp) {
  if (cp > 0x10FFFF) cp = kReplacement;
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at s[i]; returns its length, or 0 when it is invalid.
std::size_t decode_one(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t len;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

}  // namespace

void append_utf16(std::wstring& units, char32_t code_point) {
  if (code_point < 0x10000) {
    units.push_back(static_cast<wchar_t>(code_point));
    return;
  }
  const char32_t offset = code_point - 0x10000;
  units.push_back(static_cast<wchar_t>(0xD800 + (offset >> 10)));
  units.push_back(static_cast<wchar_t>(0xDC00 + (offset & 0x3FF)));
}

std::string utf8_from_wide(std::wstring_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t cp = static_cast<char32_t>(static_cast<std::uint32_t>(wide[i]));
    if constexpr (sizeof(wchar_t) == 2) {
      if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size()) {
        const char32_t low = static_cast<char16_t>(wide[i + 1]);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          append_utf8(out, 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00));
          ++i;
          continue;
        }
      }
    }
    if (cp >= kEscapeBase + 0x80 && cp <= kEscapeBase + 0xFF) {
      out.push_back(static_cast<char>(cp - kEscapeBase));
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      append_utf8(out, kReplacement);  // a lone surrogate has no UTF-8 form
    } else {
      append_utf8(out, cp);
    }
  }
  return out;
}

std::wstring wide_from_utf8(std::string_view utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    const std::size_t len = decode_one(utf8, i, cp);
    if (len == 0) {
      out.push_back(static_cast<wchar_t>(kEscapeBase + static_cast<unsigned char>(utf8[i])));
      ++i;
    } else {
      append_code_point(out, cp);
      i += len;
    }
  }
  return out;
}

std::optional<std::wstring> wide_from_utf8_strict(std::string_view utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    const std::size_t len = decode_one(utf8, i, cp);
    if (len == 0) return std::nullopt;
    append_code_point(out, cp);
    i += len;
  }
  return out;
}

}  // namespace tavo
