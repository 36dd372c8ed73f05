#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "fs/path.hpp"
#include "fs/input_file.hpp"
#include "tavo/build_config.hpp"

namespace tavo::verify {

// A manifest line's layout by byte: 64 digest characters, two blanks, a name of at least one byte.
inline constexpr std::size_t kDigestLength = 64;
inline constexpr std::size_t kNameStart = kDigestLength + 2;
inline bool has_line_layout(std::string_view line) noexcept {
  return line.size() > kNameStart && line.compare(kDigestLength, 2, "  ") == 0;
}

// No manifest line that names a file this platform can open is longer: a digest, two spaces and a name of
// at most 32,767 UTF-16 units of three bytes each on Windows; a name below PATH_MAX (4,096 bytes) elsewhere.
inline constexpr std::size_t kLongestManifestLine = 66 + (build_config::windows ? 3 * 32767 : 4096);

// Reads a manifest one line at a time, as a text-mode stream would deliver it, with the CR of a CR LF end
// removed as well. A line ends at LF; the last line need not have one; an LF at the very end of the file
// starts no further line. Every other byte, 0x1A and NUL included, is part of its line.
class ManifestLines {
 public:
  ManifestLines(fs::InputFile& file, const fs::Path& path, std::size_t longest_line = kLongestManifestLine)
      : file_(file), path_(path), longest_line_(longest_line) {}

  // The next line, without its end; false when there is none. Raises FileSystemError "read" with the
  // manifest's path when reading fails, so that a manifest is never taken as shorter than it is.
  // A line longer than longest_line is delivered empty, with too_long() true, as soon as its length passes
  // that bound: the rest of it is not read until the next call, which passes over it without keeping it.
  bool next(std::string& line);
  bool too_long() const noexcept { return too_long_; }
  // Whether no line follows the one last delivered (reads ahead; raises like next()).
  bool at_end();

 private:
  bool fill();
  void skip_rest_of_line();

  fs::InputFile& file_;
  const fs::Path& path_;
  std::array<char, 4096> buffer_{};
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool at_end_ = false;
  std::size_t longest_line_;
  bool too_long_ = false;
  bool rest_unread_ = false;  // the too long line's end has not been read yet
};

}  // namespace tavo::verify
