#include <openssl/evp.h>

#include "common/unique_resource.hpp"
#include "verify/sha256_engine.hpp"

namespace tavo::verify {
namespace {

using UniqueDigestAlgorithm = UniqueAny<EVP_MD*, &::EVP_MD_free>;
using UniqueDigestContext = UniqueAny<EVP_MD_CTX*, &::EVP_MD_CTX_free>;

// OpenSSL's libcrypto: fetching the algorithm from the loaded providers is the "provider" step, so a
// configuration without SHA-256 reports "unavailable" rather than a failed start.
class OpenSslSha256 final : public Sha256Engine {
 public:
  bool open_provider() noexcept override {
    if (algorithm_) return true;
    algorithm_.reset(::EVP_MD_fetch(nullptr, "SHA256", nullptr));
    return algorithm_.valid();
  }

  bool create_hash() noexcept override {
    context_.reset(::EVP_MD_CTX_new());
    return context_.valid() && ::EVP_DigestInit_ex(context_.get(), algorithm_.get(), nullptr) == 1;
  }

  bool hash_data(const unsigned char* data, std::size_t size) noexcept override {
    return ::EVP_DigestUpdate(context_.get(), data, size) == 1;
  }

  bool finish_hash(unsigned char (&digest)[sha256_digest_size]) noexcept override {
    unsigned int length = 0;
    return ::EVP_DigestFinal_ex(context_.get(), digest, &length) == 1 && length == sha256_digest_size;
  }

 private:
  // Declared in this order so that the context goes before the algorithm.
  UniqueDigestAlgorithm algorithm_;
  UniqueDigestContext context_;
};

}  // namespace

std::unique_ptr<Sha256Engine> make_platform_sha256_engine() { return std::make_unique<OpenSslSha256>(); }

}  // namespace tavo::verify
