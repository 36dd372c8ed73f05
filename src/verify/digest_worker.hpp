#pragma once
// A second thread for the digests of a verification. The calling thread reads a file (every call through the
// door stays there) and hands the chunks over; this thread only runs the SHA-256 engine on them, one file after
// another, while the calling thread reads and hashes another file.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace tavo::verify {

class DigestWorker {
 public:
  // A file's digest, or the failure that ended it (what file_sha256 would raise).
  struct Result {
    std::string digest;
    std::exception_ptr failure;
  };

  DigestWorker();
  // Stops the thread, whatever it has not hashed yet, and waits for it to end.
  ~DigestWorker();
  DigestWorker(const DigestWorker&) = delete;
  DigestWorker& operator=(const DigestWorker&) = delete;

  // A buffer of sha256_chunk_size bytes for the next chunk; waits while all buffers are still being hashed.
  // The buffer is handed back by exactly one of hand_chunk and end_file.
  unsigned char* next_buffer();
  // The buffer holds the next `size` bytes (more than 0) of the current file.
  void hand_chunk(std::size_t size);
  // The current file ends: it was read to its end, or its reading failed. The next chunk begins the next file.
  void end_file(bool read_failed);
  // The result of the oldest ended file not yet taken; waits for it.
  Result next_result();

 private:
  enum class Kind { chunk, end, read_failure };
  struct Slot {
    Kind kind = Kind::chunk;
    std::size_t size = 0;
  };
  static constexpr std::size_t kSlots = 4;  // enough to keep the thread busy between the caller's reads

  void hand(Kind kind, std::size_t size);
  void run() noexcept;

  std::unique_ptr<unsigned char[]> buffers_;  // kSlots chunks, in a ring
  Slot slots_[kSlots];
  std::mutex mutex_;
  std::condition_variable handed_;  // the thread waits for work
  std::condition_variable done_;    // the caller waits for a buffer or a result
  std::size_t next_ = 0;            // the slot the caller fills next
  std::size_t in_use_ = 0;          // slots handed and not hashed yet
  std::deque<Result> results_;
  std::exception_ptr broken_;  // what ended the thread early (out of memory)
  bool stopping_ = false;
  std::thread thread_;  // last: started when everything it uses is in place
};

}  // namespace tavo::verify
