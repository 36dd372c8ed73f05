#pragma once
// What every fuzz target shares: the entry that libFuzzer and the replay driver call, and the check of a
// property.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace tavo::fuzz {

// Ends the run when a property does not hold: libFuzzer keeps the input, the replay test fails.
inline void check(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property does not hold: %s\n", property);
  std::abort();
}

inline std::string_view bytes_of(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Each byte as one wide character (U+0000..U+00FF): every character that the grammars give a meaning is one
// byte away.
inline std::wstring wide_from_bytes(std::string_view bytes) {
  std::wstring wide;
  for (const char c : bytes) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return wide;
}

// The input cut at its first `count - 1` NUL bytes; the last field takes the rest, NUL bytes included.
inline std::vector<std::string_view> fields(std::string_view bytes, std::size_t count) {
  std::vector<std::string_view> out;
  while (out.size() + 1 < count) {
    const std::size_t nul = bytes.find('\0');
    if (nul == std::string_view::npos) break;
    out.push_back(bytes.substr(0, nul));
    bytes.remove_prefix(nul + 1);
  }
  out.push_back(bytes);
  while (out.size() < count) out.emplace_back();
  return out;
}

}  // namespace tavo::fuzz
