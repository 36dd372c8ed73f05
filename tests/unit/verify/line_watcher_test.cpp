#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "reference_sha256.hpp"
#include "support/test_support.hpp"
#include "verify/manifest.hpp"
#include "verify/sha256.hpp"

namespace tavo::verify {
namespace {

// Notes each failing line as "<number> <name>: <message>" and goes on.
class NotingWatcher final : public LineWatcher {
 public:
  std::string digest(const fs::Path&, fs::InputFile& file) override {
    ++digests;
    return file_sha256(file);
  }
  void line_failed(std::uint32_t number, std::string_view name) override {
    try {
      throw;
    } catch (const std::runtime_error& e) {
      noted.push_back(std::to_string(number) + " " + std::string(name) + ": " + e.what());
    }
  }
  int digests = 0;
  std::vector<std::string> noted;
};

TEST(LineWatcher, AWatcherThatGoesOnSeesEveryFailingLineAndTheCountCoversAllLines) {
  tavo::test::TempDir dir;
  std::vector<std::string> lines;
  for (int i = 0; i < 100; ++i) {
    const std::string name = "Tavo/teil-" + std::to_string(i) + ".dat";
    const std::string content = "inhalt " + std::to_string(i);
    tavo::test::write_file(dir / std::wstring(name.begin(), name.end()), content);
    lines.push_back(test::reference_sha256(content) + "  " + name);
  }
  lines[1] = test::reference_sha256("anders") + lines[1].substr(64);
  lines[4][65] = '*';
  lines[8] = lines[8].substr(0, 66) + "Tavo/../teil-8.dat";
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  tavo::test::write_file(dir / L"SHA256SUMS.txt", text);

  NotingWatcher watcher;
  EXPECT_NO_THROW(verify_software_entries(dir.path(), watcher));
  EXPECT_EQ(watcher.noted, (std::vector<std::string>{"2 Tavo/teil-1.dat: Bundled software checksum mismatch",
                                                     "5 : Invalid software manifest",
                                                     "9 Tavo/../teil-8.dat: Invalid software path"}));
  EXPECT_EQ(watcher.digests, 98);  // every line whose layout and name passed
  EXPECT_THROW(verify_software_manifest(dir.path()), std::runtime_error);  // the setup's way stops at line 2
}

}  // namespace
}  // namespace tavo::verify
