#pragma once

#include <cstddef>
#include <string>

namespace tavo::test {

// The headers of a 64-bit Windows program for x64 (console, or with `windowed` the GUI subsystem) followed by
// `text`: what the package tool reads of a program, without any code.
inline std::string windows_program(const std::string& text, bool windowed = false) {
  std::string bytes(64 + 4 + 20 + 240, '\0');
  const auto put16 = [&bytes](std::size_t at, unsigned value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
  };
  bytes[0] = 'M', bytes[1] = 'Z';
  bytes[0x3C] = 64;                 // the PE header's offset
  bytes.replace(64, 4, "PE\0\0", 4);
  put16(68, 0x8664);                // x64
  put16(68 + 16, 240);              // the optional header's size
  put16(68 + 18, 0x0022);           // an executable image, large addresses
  put16(88, 0x20B);                 // PE32+
  put16(88 + 68, windowed ? 2 : 3);  // GUI or console subsystem
  return bytes + text;
}

}  // namespace tavo::test
