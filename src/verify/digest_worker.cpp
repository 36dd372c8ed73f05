#include "verify/digest_worker.hpp"

#include <optional>

#include "common/error.hpp"
#include "verify/sha256.hpp"
#include "verify/sha256_engine.hpp"

namespace tavo::verify {

DigestWorker::DigestWorker()
    : buffers_(std::make_unique<unsigned char[]>(kSlots * sha256_chunk_size)), thread_([this] { run(); }) {}

DigestWorker::~DigestWorker() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  handed_.notify_one();
  thread_.join();
}

unsigned char* DigestWorker::next_buffer() {
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return in_use_ < kSlots || broken_; });
  if (broken_) std::rethrow_exception(broken_);
  return buffers_.get() + next_ * sha256_chunk_size;
}

void DigestWorker::hand_chunk(std::size_t size) { hand(Kind::chunk, size); }

void DigestWorker::end_file(bool read_failed) { hand(read_failed ? Kind::read_failure : Kind::end, 0); }

void DigestWorker::hand(Kind kind, std::size_t size) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    slots_[next_] = Slot{kind, size};
    next_ = (next_ + 1) % kSlots;
    ++in_use_;
  }
  handed_.notify_one();
}

DigestWorker::Result DigestWorker::next_result() {
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return !results_.empty() || broken_; });
  if (broken_) std::rethrow_exception(broken_);
  Result result = std::move(results_.front());
  results_.pop_front();
  return result;
}

void DigestWorker::run() noexcept {
  try {
    // The thread's own engine, gone with the thread's work.
    const std::unique_ptr<Sha256Engine> engine = make_platform_sha256_engine();
    std::optional<Sha256Hasher> hasher;  // of the current file, from its first chunk on
    std::exception_ptr failure;          // the current file's, hashed no further
    std::size_t taken = 0;
    for (;;) {
      Slot slot;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        handed_.wait(lock, [this] { return in_use_ > 0 || stopping_; });
        if (stopping_) return;
        slot = slots_[taken];
      }
      Result result;
      // The engine's failures come in file_sha256's order: starting the digest, hashing, then the read.
      try {
        if (!failure) {
          if (!hasher) hasher.emplace(*engine);
          if (slot.kind == Kind::chunk) hasher->add(buffers_.get() + taken * sha256_chunk_size, slot.size);
          if (slot.kind == Kind::read_failure) throw Error(sha256_calculation_failed);
          if (slot.kind == Kind::end) result.digest = hasher->finish();
        }
      } catch (...) {
        failure = std::current_exception();
      }
      if (slot.kind != Kind::chunk) {
        result.failure = failure;
        hasher.reset();
        failure = nullptr;
      }
      taken = (taken + 1) % kSlots;
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        --in_use_;
        if (slot.kind != Kind::chunk) results_.push_back(std::move(result));
      }
      done_.notify_one();
    }
  } catch (...) {
    const std::lock_guard<std::mutex> lock(mutex_);
    broken_ = std::current_exception();
    done_.notify_one();
  }
}

}  // namespace tavo::verify
