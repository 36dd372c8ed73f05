#pragma once

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

}  // namespace tavo::verify
