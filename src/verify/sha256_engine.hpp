#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "fs/input_file.hpp"
#include "fs/path.hpp"

namespace tavo::verify {

inline constexpr std::size_t sha256_digest_size = 32;

// The platform's SHA-256 in its four steps. Each step only reports whether it worked: file_sha256 chooses
// the message. Whatever was opened or created is released when the engine goes (the hash, then the provider).
class Sha256Engine {
 public:
  virtual ~Sha256Engine() = default;
  virtual bool open_provider() noexcept = 0;  // a provider already open is kept
  virtual bool create_hash() noexcept = 0;  // after open_provider
  virtual bool hash_data(const unsigned char* data, std::size_t size) noexcept = 0;
  virtual bool finish_hash(unsigned char (&digest)[sha256_digest_size]) noexcept = 0;
};

// The platform's engine: Windows CNG (BCrypt), OpenSSL's libcrypto elsewhere. Nothing is opened yet.
std::unique_ptr<Sha256Engine> make_platform_sha256_engine();

// A digest as 64 lower-case hexadecimal characters, as manifests list it.
std::string lower_hex(const unsigned char (&digest)[sha256_digest_size]);

// file_sha256 with a given engine, so that tests can make a platform step fail.
std::string file_sha256(const fs::Path& path, Sha256Engine& engine);
std::string file_sha256(fs::InputFile& file, Sha256Engine& engine);

}  // namespace tavo::verify
