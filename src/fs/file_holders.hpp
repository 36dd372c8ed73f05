#pragma once
// Which programs hold the files of a folder open (a scanner, the indexer, a sync engine), as far as the system
// can tell: for the user who waits for them.

#include <cstddef>
#include <string>
#include <vector>

#include "fs/path.hpp"

namespace tavo::fs {

// More files than this are not worth asking about: the programs that hold a freshly filled folder hold many of
// its files, and each file asked about costs the system a look at every process.
inline constexpr std::size_t kMostFilesAskedAbout = 1000;

// The names of the applications that hold files below `folder` (the first kMostFilesAskedAbout files found),
// each once, in the order the system names them. Empty when none is known or the system cannot tell; it never
// fails the caller.
[[nodiscard]] std::vector<std::wstring> file_holders(const Path& folder) noexcept;

}  // namespace tavo::fs
