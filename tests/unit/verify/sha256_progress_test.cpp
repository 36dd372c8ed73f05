// The digest reports every byte it hashes, chunk by chunk, so that a progress window stays alive on a large file.
#include <gtest/gtest.h>

#include <string>

#include "support/progress_counter.hpp"
#include "support/test_support.hpp"
#include "verify/sha256.hpp"

namespace tavo::verify {
namespace {

TEST(Sha256Progress, ReportsEveryByteInChunks) {
  struct Case {
    std::size_t size;
    int least_reports;
  };
  test::TempDir dir;
  for (const Case c : {Case{0, 0}, Case{65536, 1}, Case{3 * 65536 + 1, 4}}) {
    const fs::Path file = fs::join(dir.path(), L"f" + std::to_wstring(c.size));
    test::write_file(file, std::string(c.size, 'a'));
    test::ProgressCounter counter;
    (void)file_sha256(file);
    EXPECT_EQ(counter.bytes, c.size);
    EXPECT_GE(counter.reports, c.least_reports) << c.size;
  }
}

}  // namespace
}  // namespace tavo::verify
