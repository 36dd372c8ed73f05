#include "package/program_header.hpp"

#include <cstdint>
#include <cstdio>

namespace tavo::package {
namespace {

// learn.microsoft.com/windows/win32/debug/pe-format
constexpr std::size_t kNewHeaderOffset = 0x3C;   // e_lfanew in the MS-DOS header
constexpr std::size_t kCoffHeaderSize = 20;      // after the "PE\0\0" signature
constexpr std::size_t kSubsystemOffset = 68;     // in the optional header, PE32 and PE32+ alike
constexpr std::uint16_t kMachineAmd64 = 0x8664;
constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kMachineArm64 = 0xAA64;
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
constexpr std::uint16_t kFileDll = 0x2000;
constexpr std::uint16_t kFileExecutable = 0x0002;
constexpr std::uint16_t kSubsystemGui = 2;
constexpr std::uint16_t kSubsystemConsole = 3;

std::uint32_t little_endian(std::string_view bytes, std::size_t at, std::size_t size) noexcept {
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::string hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(value));
  return text;
}

}  // namespace

std::string program_header_problem(std::string_view head, ProgramKind kind) {
  if (head.size() < kNewHeaderOffset + 4 || head.substr(0, 2) != "MZ") return "no Windows program (no MZ header)";
  const std::size_t pe = little_endian(head, kNewHeaderOffset, 4);
  const std::size_t optional = pe + 4 + kCoffHeaderSize;
  if (pe > head.size() || head.size() - pe < 4 || head.substr(pe, 4) != std::string_view("PE\0\0", 4)) {
    return "no Windows program (an MS-DOS program or no PE header)";
  }
  if (head.size() < optional + kSubsystemOffset + 2) return "no Windows program (the headers end early)";

  const std::uint32_t machine = little_endian(head, pe + 4, 2);
  const std::uint32_t characteristics = little_endian(head, pe + 4 + 18, 2);
  const std::uint32_t optional_size = little_endian(head, pe + 4 + 16, 2);
  const std::uint32_t magic = little_endian(head, optional, 2);
  const std::uint32_t subsystem = little_endian(head, optional + kSubsystemOffset, 2);
  if (magic == kMagicPe32 || machine == kMachineI386) return "a 32-bit Windows program";
  if (magic != kMagicPe32Plus || optional_size < kSubsystemOffset + 2) return "no Windows program (unknown optional header)";
  if (machine != kMachineAmd64) {
    return machine == kMachineArm64 ? "a program for ARM64, not x64" : "a program for another processor (machine " + hex(machine) + ")";
  }
  if ((characteristics & kFileDll) != 0 || (characteristics & kFileExecutable) == 0) return "a library, not a program";
  if (subsystem != kSubsystemGui && subsystem != kSubsystemConsole) {
    return "not a program for the Windows desktop (subsystem " + std::to_string(subsystem) + ")";
  }
  if (kind == ProgramKind::windowed && subsystem != kSubsystemGui) return "a console program, a windowed (GUI) program needed";
  return {};
}

}  // namespace tavo::package
