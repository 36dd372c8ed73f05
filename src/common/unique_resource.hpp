#pragma once

#include <cstdint>
#include <type_traits>
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

// The traits of a resource that one function releases, and whose empty value is `Empty` (a pointer or handle
// with the bits of that number, or the number itself).
template <typename T, auto Release, std::intptr_t Empty = 0>
struct ReleasedBy {
  using type = T;
  static type invalid() noexcept {
    if constexpr (std::is_pointer_v<T>) {
      return reinterpret_cast<T>(Empty);  // NOLINT: INVALID_HANDLE_VALUE is such a pointer
    } else {
      return static_cast<T>(Empty);
    }
  }
  static void close(type value) noexcept { (void)Release(value); }
};

// An owner in one line: UniqueAny<int, &::close, -1>, UniqueAny<HANDLE, &::CloseHandle>.
template <typename T, auto Release, std::intptr_t Empty = 0>
using UniqueAny = UniqueResource<ReleasedBy<T, Release, Empty>>;

// For a call that returns a resource through an out-parameter: out_param(owner) passes the address of a
// temporary that the owner takes over when the call's statement ends.
//   UniqueResource<HashTraits> hash;
//   BCryptCreateHash(provider, out_param(hash), ...);
template <typename Traits>
class OutParam {
 public:
  explicit OutParam(UniqueResource<Traits>& owner) noexcept : owner_(owner) {}
  OutParam(const OutParam&) = delete;
  OutParam& operator=(const OutParam&) = delete;
  ~OutParam() {
    if (value_ != Traits::invalid()) owner_.reset(value_);
  }
  operator typename Traits::type*() noexcept { return &value_; }  // NOLINT: made to be passed as the pointer

 private:
  UniqueResource<Traits>& owner_;
  typename Traits::type value_ = Traits::invalid();
};

template <typename Traits>
OutParam<Traits> out_param(UniqueResource<Traits>& owner) noexcept {
  return OutParam<Traits>(owner);
}

}  // namespace tavo
