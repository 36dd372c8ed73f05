// What the package tool reads from a program's headers, and how it compares names as Windows does.
#include "package/program_header.hpp"

#include <gtest/gtest.h>

#include <string>

#include "package/case_folding.hpp"
#include "support/windows_program.hpp"

namespace tavo::package {
namespace {

// Field offsets in test::windows_program's headers (the PE header at 64).
constexpr std::size_t kMachine = 68;
constexpr std::size_t kCharacteristics = 86;
constexpr std::size_t kMagic = 88;
constexpr std::size_t kSubsystem = 88 + 68;

std::string with16(std::string bytes, std::size_t at, unsigned value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
  return bytes;
}

TEST(ProgramHeader, OnlyX64WindowsProgramsPass) {
  const std::string console = test::windows_program("code");
  const std::string windowed = test::windows_program("code", true);
  const struct {
    const char* title;
    std::string bytes;
    ProgramKind kind;
    std::string expected;
  } cases[] = {
      {"x64 console program", console, ProgramKind::any, ""},
      {"x64 windowed program", windowed, ProgramKind::any, ""},
      {"x64 windowed program as the setup", windowed, ProgramKind::windowed, ""},
      {"console program as the setup", console, ProgramKind::windowed,
       "a console program, a windowed (GUI) program needed"},
      {"one byte", "M", ProgramKind::windowed, "no Windows program (no MZ header)"},
      {"a Linux program", "\x7f" "ELF\x02\x01\x01" + std::string(100, '\0'), ProgramKind::any,
       "no Windows program (no MZ header)"},
      {"a script", "#!/bin/sh\necho hallo\n", ProgramKind::any, "no Windows program (no MZ header)"},
      {"MS-DOS program", "MZ" + std::string(200, '\0'), ProgramKind::any,
       "no Windows program (an MS-DOS program or no PE header)"},
      {"PE header beyond the file", with16(console, 0x3C, 0xFFF0), ProgramKind::any,
       "no Windows program (an MS-DOS program or no PE header)"},
      {"headers cut short", console.substr(0, 100), ProgramKind::any, "no Windows program (the headers end early)"},
      {"32-bit program", with16(with16(console, kMachine, 0x014C), kMagic, 0x10B), ProgramKind::any,
       "a 32-bit Windows program"},
      {"ARM64 program", with16(console, kMachine, 0xAA64), ProgramKind::any, "a program for ARM64, not x64"},
      {"Itanium program", with16(console, kMachine, 0x0200), ProgramKind::any,
       "a program for another processor (machine 0x0200)"},
      {"a DLL", with16(console, kCharacteristics, 0x2022), ProgramKind::any, "a library, not a program"},
      {"a driver", with16(console, kSubsystem, 1), ProgramKind::any,
       "not a program for the Windows desktop (subsystem 1)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(program_header_problem(c.bytes, c.kind), c.expected) << c.title;
  }
}

TEST(CaseFolding, NamesEqualAsWindowsComparesThem) {
  const struct {
    std::wstring a, b;
    bool same;
  } cases[] = {
      {L"Liesmich.txt", L"LIESMICH.TXT", true},
      {L"Tavo/OS/a", L"tavo/os/A", true},
      {L"\u00C4pfel", L"\u00E4pfel", true},              // Ä, ä
      {L"\u0141\u00F3d\u017A", L"\u0142\u00D3D\u0179", true},  // Łódź
      {L"Stra\u00DFe", L"STRASSE", false},               // no expansion of ß
      {L"a.txt", L"a.txt ", false},
      {L"Ordner", L"Ordner2", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(windows_case_key(c.a) == windows_case_key(c.b), c.same) << (&c - cases);
  }
}

}  // namespace
}  // namespace tavo::package
