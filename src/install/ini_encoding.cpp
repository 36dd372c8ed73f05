#include "install/ini_encoding.hpp"

#include "common/utf8.hpp"

namespace tavo::install {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

bool starts_with(std::string_view text, std::string_view prefix) noexcept {
  return text.substr(0, prefix.size()) == prefix;
}

IniText decode_utf16(IniEncoding encoding, std::string_view units) {
  IniText out{encoding, {}, {}};
  out.text.reserve(units.size() / 2);
  const bool little_endian = encoding == IniEncoding::utf16le;
  std::size_t i = 0;
  for (; i + 1 < units.size(); i += 2) {
    const auto first = static_cast<unsigned char>(units[i]);
    const auto second = static_cast<unsigned char>(units[i + 1]);
    out.text.push_back(static_cast<wchar_t>(little_endian ? first | (second << 8) : (first << 8) | second));
  }
  out.odd_byte.assign(units.substr(i));
  return out;
}

}  // namespace

IniText decode_ini_text(std::string_view bytes) {
  if (starts_with(bytes, kUtf16LeBom)) return decode_utf16(IniEncoding::utf16le, bytes.substr(kUtf16LeBom.size()));
  if (starts_with(bytes, kUtf16BeBom)) return decode_utf16(IniEncoding::utf16be, bytes.substr(kUtf16BeBom.size()));
  if (starts_with(bytes, kUtf8Bom)) return IniText{IniEncoding::utf8_bom, wide_from_utf8(bytes.substr(3)), {}};
  return IniText{IniEncoding::narrow, detail::narrow_elements(bytes), {}};
}

std::string encode_ini_text(const IniText& text) {
  switch (text.encoding) {
    case IniEncoding::narrow:
      return detail::narrow_bytes(text.text);
    case IniEncoding::utf8_bom:
      return std::string(kUtf8Bom) + utf8_from_wide(text.text);
    case IniEncoding::utf16le:
    case IniEncoding::utf16be:
      break;
  }
  const bool little_endian = text.encoding == IniEncoding::utf16le;
  std::string out(little_endian ? kUtf16LeBom : kUtf16BeBom);
  out.reserve(out.size() + 2 * text.text.size() + text.odd_byte.size());
  for (const wchar_t unit : text.text) {
    const auto low = static_cast<char>(static_cast<unsigned>(unit) & 0xFF);
    const auto high = static_cast<char>((static_cast<unsigned>(unit) >> 8) & 0xFF);
    out.push_back(little_endian ? low : high);
    out.push_back(little_endian ? high : low);
  }
  return out + text.odd_byte;
}

IniEncoding ini_encoding_of(std::string_view first_bytes) { return decode_ini_text(first_bytes).encoding; }

std::optional<std::wstring> ini_elements(std::wstring_view wide, IniEncoding encoding) {
  if (encoding == IniEncoding::narrow) return detail::exact_narrow_elements(wide);
  const bool utf16 = encoding == IniEncoding::utf16le || encoding == IniEncoding::utf16be;
  if (!utf16 || sizeof(wchar_t) == 2) return std::wstring(wide);
  std::wstring units;
  units.reserve(wide.size());
  for (const wchar_t c : wide) append_utf16(units, static_cast<char32_t>(c));
  return units;
}

}  // namespace tavo::install
