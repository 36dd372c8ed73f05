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

Sha256Hasher::Sha256Hasher() : Sha256Hasher(run_engine()) {}

Sha256Hasher::Sha256Hasher(Sha256Engine& engine) : engine_(engine) {
  if (!engine_.open_provider()) throw Error("SHA256 unavailable");
  if (!engine_.create_hash()) throw Error("SHA256 initialization failed");
}

void Sha256Hasher::add(const unsigned char* data, std::size_t size) {
  if (!engine_.hash_data(data, size)) throw Error(sha256_calculation_failed);
}

std::string Sha256Hasher::finish() {
  unsigned char digest[sha256_digest_size] = {};
  if (!engine_.finish_hash(digest)) throw Error(sha256_calculation_failed);
  return lower_hex(digest);
}

std::string file_sha256(fs::InputFile& file, Sha256Engine& engine) {
  Sha256Hasher hasher(engine);
  std::array<unsigned char, sha256_chunk_size> buffer;  // the call's one read buffer; not cleared, only read into
  for (;;) {
    const std::optional<std::size_t> count = file.read(buffer.data(), buffer.size());
    if (!count) throw Error(sha256_calculation_failed);  // a read failure: the end is not reached
    if (*count == 0) return hasher.finish();
    hasher.add(buffer.data(), *count);
    progress::bytes_done(*count);
  }
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
