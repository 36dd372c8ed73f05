#include "verify/sha256.hpp"

#include <array>
#include <optional>
#include <string>

#include "common/error.hpp"
#include "common/progress.hpp"
#include "fs/path_forms.hpp"
#include "fs/input_file.hpp"
#include "verify/sha256_engine.hpp"

namespace tavo::verify {
namespace {

constexpr std::size_t kChunkSize = 0x10000;

// The run's one engine (per thread): its algorithm provider is opened at the first digest and kept, as opening
// it costs more than hashing a small file.
Sha256Engine& run_engine() {
  static thread_local const std::unique_ptr<Sha256Engine> engine = make_platform_sha256_engine();
  return *engine;
}

}  // namespace

std::string lower_hex(const unsigned char (&digest)[sha256_digest_size]) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(2 * sha256_digest_size);
  for (const unsigned char byte : digest) {
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0F]);
  }
  return text;
}

std::string file_sha256(fs::InputFile& file, Sha256Engine& engine) {
  if (!engine.open_provider()) throw Error("SHA256 unavailable");
  if (!engine.create_hash()) throw Error("SHA256 initialization failed");

  std::array<unsigned char, kChunkSize> buffer;  // the call's one read buffer; not cleared, only read into
  bool failed = false;
  bool at_end = false;
  for (;;) {
    const std::optional<std::size_t> count = file.read(buffer.data(), buffer.size());
    if (!count) break;  // a read failure: the end is not reached
    if (*count == 0) {
      at_end = true;
      break;
    }
    if (!engine.hash_data(buffer.data(), *count)) {
      failed = true;
      break;
    }
    progress::bytes_done(*count);
  }
  unsigned char digest[sha256_digest_size] = {};
  if (failed || !at_end || !engine.finish_hash(digest)) throw Error("SHA256 calculation failed");
  return lower_hex(digest);
}

std::string file_sha256(const fs::Path& path, Sha256Engine& engine) {
  // The long-path form would lose everything after a NUL; such a path names no file.
  if (path.has_embedded_nul()) throw Error("Cannot read input file");
  std::optional<fs::InputFile> file = fs::InputFile::open(fs::long_path_form(path));
  if (!file) throw Error("Cannot read input file");
  return file_sha256(*file, engine);
}

std::string file_sha256(const fs::Path& path) { return file_sha256(path, run_engine()); }

std::string file_sha256(fs::InputFile& file) { return file_sha256(file, run_engine()); }

}  // namespace tavo::verify
