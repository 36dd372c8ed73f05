// Hashes one file with file_sha256 and prints: digest, seconds inside file_sha256, peak resident KiB.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>

#include "common/utf8.hpp"
#include "verify/sha256.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  try {
    const auto start = std::chrono::steady_clock::now();
    const std::string digest = tavo::verify::file_sha256(tavo::wide_from_utf8(argv[1]));
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("%s %.6f %ld\n", digest.c_str(), seconds.count(), usage.ru_maxrss);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
