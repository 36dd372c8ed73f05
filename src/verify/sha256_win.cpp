#include <windows.h>
// bcrypt.h needs the types of windows.h.
#include <bcrypt.h>

#include <algorithm>

#include "common/unique_resource.hpp"
#include "verify/sha256_engine.hpp"

namespace tavo::verify {
namespace {

NTSTATUS close_provider(BCRYPT_ALG_HANDLE provider) noexcept { return ::BCryptCloseAlgorithmProvider(provider, 0); }
using UniqueAlgorithmProvider = UniqueAny<BCRYPT_ALG_HANDLE, &close_provider>;
using UniqueHashObject = UniqueAny<BCRYPT_HASH_HANDLE, &::BCryptDestroyHash>;

// Any status below zero (error severity) is a failure; warnings and information count as success.
bool succeeded(NTSTATUS status) noexcept { return status >= 0; }

// Windows CNG, the default provider of "SHA256". The provider allocates the hash object itself.
class CngSha256 final : public Sha256Engine {
 public:
  bool open_provider() noexcept override {
    if (provider_) return true;
    return succeeded(::BCryptOpenAlgorithmProvider(out_param(provider_), BCRYPT_SHA256_ALGORITHM, nullptr, 0));
  }

  bool create_hash() noexcept override {
    hash_.reset();  // the previous file's hash
    return succeeded(::BCryptCreateHash(provider_.get(), out_param(hash_), nullptr, 0, nullptr, 0, 0));
  }

  bool hash_data(const unsigned char* data, std::size_t size) noexcept override {
    // BCryptHashData takes a 32-bit count; the chunks of file_sha256 fit in one call.
    while (size > 0) {
      const ULONG part = static_cast<ULONG>(std::min<std::size_t>(size, 0x40000000));
      if (!succeeded(::BCryptHashData(hash_.get(), const_cast<PUCHAR>(data), part, 0))) return false;
      data += part;
      size -= part;
    }
    return true;
  }

  bool finish_hash(unsigned char (&digest)[sha256_digest_size]) noexcept override {
    return succeeded(::BCryptFinishHash(hash_.get(), digest, sha256_digest_size, 0));
  }

 private:
  // Declared in this order so that the hash is destroyed before the provider is closed.
  UniqueAlgorithmProvider provider_;
  UniqueHashObject hash_;
};

}  // namespace

std::unique_ptr<Sha256Engine> make_platform_sha256_engine() { return std::make_unique<CngSha256>(); }

}  // namespace tavo::verify
