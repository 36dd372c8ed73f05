#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "fs/path.hpp"
#include "fs/input_file.hpp"

namespace tavo::verify {

// Reads a manifest one line at a time, as a text-mode stream would deliver it, with the CR of a CR LF end
// removed as well. A line ends at LF; the last line need not have one; an LF at the very end of the file
// starts no further line. Every other byte, 0x1A and NUL included, is part of its line.
class ManifestLines {
 public:
  ManifestLines(fs::InputFile& file, const fs::Path& path) : file_(file), path_(path) {}

  // The next line, without its end; false when there is none. Raises FileSystemError "read" with the
  // manifest's path when reading fails, so that a manifest is never taken as shorter than it is.
  bool next(std::string& line);

 private:
  bool fill();

  fs::InputFile& file_;
  const fs::Path& path_;
  std::array<char, 4096> buffer_{};
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool at_end_ = false;
};

}  // namespace tavo::verify
