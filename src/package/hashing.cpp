#include "package/hashing.hpp"

#include <memory>

#include "verify/sha256_engine.hpp"

namespace tavo::package {
namespace {

// The platform's engine, with every chunk that goes into it counted.
class CountingSha256 final : public verify::Sha256Engine {
 public:
  explicit CountingSha256(Progress& progress)
      : engine_(verify::make_platform_sha256_engine()), progress_(progress) {}

  bool open_provider() noexcept override { return engine_->open_provider(); }
  bool create_hash() noexcept override { return engine_->create_hash(); }
  bool hash_data(const unsigned char* data, std::size_t size) noexcept override {
    try {
      progress_.hashed_bytes(size);
    } catch (...) {
      // A report that cannot be written takes nothing from the digest.
    }
    return engine_->hash_data(data, size);
  }
  bool finish_hash(unsigned char (&digest)[verify::sha256_digest_size]) noexcept override {
    return engine_->finish_hash(digest);
  }

 private:
  std::unique_ptr<verify::Sha256Engine> engine_;
  Progress& progress_;
};

}  // namespace

std::string digest_with_progress(const fs::Path& file, Progress& progress) {
  CountingSha256 engine(progress);
  std::string digest = verify::file_sha256(file, engine);
  progress.hashed_file();
  return digest;
}

}  // namespace tavo::package
