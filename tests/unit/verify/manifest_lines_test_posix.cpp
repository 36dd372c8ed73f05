// A manifest of one endless line (a file without line feeds, far larger than memory) is refused after its
// first bytes: the sparse file below would take minutes to read and more memory than the machine has.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.hpp"
#include "verify/manifest.hpp"

namespace tavo::verify {
namespace {

std::string message_of(void (*verify)(const fs::Path&), const fs::Path& folder) {
  try {
    verify(folder);
    return "verified";
  } catch (const std::exception& e) {
    return e.what();
  }
}

TEST(ManifestLines, AManifestWithoutLineFeedsLargerThanMemoryIsRefusedWithoutReadingIt) {
  tavo::test::TempDir dir;
  const fs::Path manifest = dir / L"SHA256SUMS.txt";
  tavo::test::write_file(manifest, std::string(64, 'a') + "  ");
  std::filesystem::resize_file(tavo::test::std_path(manifest), std::uintmax_t{64} << 30);  // 64 GiB, sparse
  EXPECT_EQ(message_of(verify_payload_manifest, dir.path()), "Invalid payload manifest");
  EXPECT_EQ(message_of(verify_software_manifest, dir.path()), "Invalid software manifest");
}

}  // namespace
}  // namespace tavo::verify
