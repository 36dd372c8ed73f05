#pragma once
// What the headers of an .exe say about it: every program of a package must run on the 64-bit Windows that the
// editor needs, and the setup itself is a windowed program. Pure byte rules, the same in both builds.

#include <string>
#include <string_view>

namespace tavo::package {

enum class ProgramKind {
  any,      // a 64-bit Windows program for x64, console or windowed
  windowed  // the same, for the GUI subsystem (the setup program)
};

// How many bytes from the start of a file the headers must lie in to be read.
inline constexpr std::size_t kProgramHeaderBytes = 65536;

// Why the file starting with `head` (up to kProgramHeaderBytes of it) is not a program of `kind`; empty when
// it is one.
std::string program_header_problem(std::string_view head, ProgramKind kind);

}  // namespace tavo::package
