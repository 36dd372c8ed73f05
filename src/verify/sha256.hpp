#pragma once

#include <cstddef>
#include <string>

#include "fs/input_file.hpp"
#include "fs/path.hpp"

namespace tavo::verify {

// The SHA-256 digest of the file's whole content as 64 lower-case hexadecimal characters. The file is read
// through its long-path form, in chunks of 64 KiB, without locking others out. Raises Error
// "Cannot read input file", "SHA256 unavailable", "SHA256 initialization failed" or "SHA256 calculation failed";
// FileSystemError "absolute" when the path cannot be made absolute.
[[nodiscard]] std::string file_sha256(const fs::Path& path);

// The digest of what is left to read of an open file, read to its end; raises the same errors but the first.
[[nodiscard]] std::string file_sha256(fs::InputFile& file);

// The message of a digest that could not be completed, a read of its file failing included.
inline constexpr char sha256_calculation_failed[] = "SHA256 calculation failed";

// The size of the chunks in which files are read for their digests.
inline constexpr std::size_t sha256_chunk_size = 0x10000;

class Sha256Engine;

// One digest made chunk by chunk, for those who read the bytes themselves. An engine serves one digest at a
// time: the default one is the calling thread's own, which file_sha256 uses as well.
class Sha256Hasher {
 public:
  // Raises Error "SHA256 unavailable" or "SHA256 initialization failed".
  Sha256Hasher();
  explicit Sha256Hasher(Sha256Engine& engine);
  Sha256Hasher(const Sha256Hasher&) = delete;
  Sha256Hasher& operator=(const Sha256Hasher&) = delete;

  // Raises Error "SHA256 calculation failed"; the digest is then of no use.
  void add(const unsigned char* data, std::size_t size);
  // The digest of everything added, in lower-case hexadecimal; raises like add. Once only.
  [[nodiscard]] std::string finish();

 private:
  Sha256Engine& engine_;
};

}  // namespace tavo::verify
