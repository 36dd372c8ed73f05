#pragma once

#include <utility>

namespace tavo {

// Owns one platform resource (a Win32 handle, a POSIX descriptor) and releases it exactly once.
// Traits supply: using type; static type invalid() noexcept; static void close(type) noexcept.
template <typename Traits>
class UniqueResource {
 public:
  using type = typename Traits::type;

  UniqueResource() noexcept : value_(Traits::invalid()) {}
  explicit UniqueResource(type value) noexcept : value_(value) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueResource() { reset(); }

  type get() const noexcept { return value_; }
  bool valid() const noexcept { return value_ != Traits::invalid(); }
  explicit operator bool() const noexcept { return valid(); }

  type release() noexcept { return std::exchange(value_, Traits::invalid()); }
  void reset(type value = Traits::invalid()) noexcept {
    type old = std::exchange(value_, value);
    if (old != Traits::invalid()) Traits::close(old);
  }

 private:
  type value_;
};

}  // namespace tavo
