#include "verify/manifest_lines.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/error.hpp"
#include "support/test_support.hpp"
#include "verify/manifest.hpp"

namespace tavo::verify {
namespace {

template <typename F>
std::string message_of(F&& verify) {
  try {
    verify();
    return "verified";
  } catch (const std::exception& e) {
    return e.what();
  }
}

// The lines as the reader delivers them; a line that was too long shows as "<too long>".
std::vector<std::string> read_lines(const std::string& bytes, std::size_t longest_line) {
  tavo::test::TempDir dir;
  const fs::Path path = dir / L"SHA256SUMS.txt";
  tavo::test::write_file(path, bytes);
  std::optional<fs::InputFile> file = fs::InputFile::open(path);
  EXPECT_TRUE(file.has_value());
  ManifestLines lines(*file, path, longest_line);
  std::vector<std::string> out;
  std::string line;
  while (lines.next(line)) out.push_back(lines.too_long() ? (line.empty() ? "<too long>" : "<too long, kept>") : line);
  return out;
}

struct LinesCase {
  const char* title;
  std::string bytes;
  std::size_t longest_line;
  std::vector<std::string> expected;
};

TEST(ManifestLines, LongLinesAreRefusedAndTheLinesAfterThemStillRead) {
  const std::string block(5000, 'x');  // longer than the reader's buffer
  const LinesCase cases[] = {
      {"at the bound", "abcd\nefgh", 4, {"abcd", "efgh"}},
      {"at the bound with CR", "abcd\r\nef\r\n", 4, {"abcd", "ef"}},
      {"one past the bound", "abcde\nab\n", 4, {"<too long>", "ab"}},
      {"one past the bound, last line", "ab\nabcde", 4, {"ab", "<too long>"}},
      {"one past the bound, LF at the end", "abcde\n", 4, {"<too long>"}},
      {"the CR of a last line comes off before the bound counts", "abcd\r", 4, {"abcd"}},
      {"one past the bound before a CR", "abcde\r\nab", 4, {"<too long>", "ab"}},
      {"far past the bound, across buffers", block + "\nab\n" + block + "\r\n" + block, 4,
       {"<too long>", "ab", "<too long>", "<too long>"}},
      {"long lines within a long bound", block + "\n" + block, 5000, {block, block}},
      {"empty lines are lines", "\n\nab", 4, {"", "", "ab"}},
  };
  for (const LinesCase& c : cases) EXPECT_EQ(read_lines(c.bytes, c.longest_line), c.expected) << c.title;
}

TEST(ManifestLines, ALineThatNoFileNameCanFillIsAnInvalidLineInBothManifests) {
  tavo::test::TempDir dir;
  std::string text(64, 'a');
  text += "  ";
  text.append(kLongestManifestLine - text.size() + 1, 'n');
  tavo::test::write_file(dir / L"SHA256SUMS.txt", text + "\n");
  EXPECT_EQ(message_of([&] { verify_payload_manifest(dir.path()); }), "Invalid payload manifest");
  EXPECT_EQ(message_of([&] { verify_software_manifest(dir.path()); }), "Invalid software manifest");
}

}  // namespace
}  // namespace tavo::verify
