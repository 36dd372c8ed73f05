// Without a watcher two listed files are hashed at once: line 1's file is read into the second thread's lane,
// line 2's into the calling thread's own, and each lane whose file ends takes the next line's file. The first
// failing line in manifest order still decides, whichever lane learns of its failure first.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/error.hpp"
#include "common/utf8.hpp"
#include "fs/file_identity.hpp"
#include "fs/held_folder.hpp"
#include "reference_sha256.hpp"
#include "support/progress_counter.hpp"
#include "support/test_support.hpp"
#include "sys/door_control.hpp"
#include "tavo/build_config.hpp"
#include "verify/manifest.hpp"

namespace tavo::verify {
namespace {

using tavo::test::TempDir;
using test::reference_sha256;

constexpr std::size_t kChunk = 0x10000;
const char* const kReadCall = build_config::windows ? "ReadFile" : "read";
constexpr int kReadFault = build_config::windows ? 30 /* ERROR_READ_FAULT */ : 5 /* EIO */;

// One listed file: its name, its size (its bytes differ from every other file's) and whether its line lists
// another digest.
struct Listed {
  std::string name;
  std::size_t size = 1;
  bool wrong_digest = false;
  bool missing = false;
};

std::string content_of(const Listed& file) {
  std::string bytes(file.size, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7 + file.name.size() * 13) & 0xFF);
  if (!bytes.empty()) bytes.back() = file.name.back();
  return bytes;
}

std::string listed_digest(const Listed& file) {
  return reference_sha256(file.wrong_digest ? "other " + file.name : content_of(file));
}

// Writes the files and the manifest listing them in order.
void write_folder(const TempDir& dir, const std::vector<Listed>& files) {
  std::string manifest;
  for (const Listed& file : files) {
    if (!file.missing) tavo::test::write_file(dir / wide_from_utf8(file.name), content_of(file));
    manifest += listed_digest(file) + "  " + file.name + "\n";
  }
  tavo::test::write_file(dir / L"SHA256SUMS.txt", manifest);
}

// What a verification raised: the message and its reason, or "verified".
template <typename F>
std::string outcome(F&& verification) {
  try {
    verification();
  } catch (const Error& failure) {
    return message_with_reason(failure);
  }
  return "verified";
}

std::string mismatch_of(const char* message, const Listed& file) {
  return std::string(message) + ": listed " + listed_digest(file) + ", computed " + reference_sha256(content_of(file));
}

// The seven payload lines (only the lines are checked here, not which build the driver DLL is).
std::vector<Listed> payload(std::vector<std::size_t> sizes) {
  const char* const names[] = {"TavoDrv.dll", "tusbshim.dll", "tset-template.ini", "device_binding.exe",
                               "TAVO-starten.exe", "TAVO-Treiber-installieren.exe", "TAVO-Treiber-entfernen.exe"};
  std::vector<Listed> files;
  for (std::size_t i = 0; i < 7; ++i) files.push_back({names[i], sizes[i]});
  return files;
}

// `count` software files, the first large, the rest tiny, in three folders.
std::vector<Listed> software(std::size_t count, std::size_t first_size) {
  std::vector<Listed> files;
  for (std::size_t i = 0; i < count; ++i) {
    const char* folder = i % 3 == 0 ? "App/Bin/" : i % 3 == 1 ? "Tavo/Presets/" : "";
    files.push_back({folder + std::string("f") + std::to_string(i), i == 0 ? first_size : 1 + i % 5});
  }
  return files;
}

class PairedHashing : public ::testing::Test {
 protected:
  void SetUp() override { fault::arm({}); }
  void TearDown() override { sys::test::clear_hooks(); }

  // Fails the nth read (from 1) from now on.
  static void fail_read(long nth) {
    std::vector<int> codes(static_cast<std::size_t>(nth), 0);
    codes.back() = kReadFault;
    sys::test::script(kReadCall, codes);
  }
};

// Each case fails a line while an earlier line is still being read, or fails it in one lane while the other
// lane goes on. The payload manifest is read at the first read; then the lanes read in turn, line 1's file first
// (the worker's lane), the own lane skipping every third turn while the worker's lane has a file. A file takes
// one read per 64 KiB begun and one more that finds its end.
TEST_F(PairedHashing, FirstFailingLineDecides) {
  enum class Verdict { verified, mismatch, missing, read_failure };
  struct Case {
    const char* title;
    std::vector<std::size_t> sizes;
    std::vector<std::size_t> wrong;  // lines (from 1) listing another digest
    std::size_t missing = 0;         // the line whose file is missing; 0: none
    long failing_read = 0;           // 0: none
    Verdict verdict;
    std::size_t deciding_line = 0;   // the line whose failure is raised
  };
  const std::size_t big = 5 * kChunk + 3;  // 7 reads
  const Case cases[] = {
      {"mismatch in the worker's lane before a missing file in the own lane", {big, 1, 1, 1, 1, 1, 1}, {1}, 2, 0,
       Verdict::mismatch, 1},
      {"mismatch in the worker's lane before a read failure in the own lane", {big, big, 1, 1, 1, 1, 1}, {1}, 0, 3,
       Verdict::mismatch, 1},
      {"mismatch in the own lane before a missing file in the worker's lane", {1, big, 1, 1, 1, 1, 1}, {2}, 3, 0,
       Verdict::mismatch, 2},
      {"mismatch in the own lane before a later one in the worker's lane", {1, big, 1, 1, 1, 1, 1}, {2, 3}, 0, 0,
       Verdict::mismatch, 2},
      {"read failure in the worker's lane before a mismatch in the own lane", {big, big, 1, 1, 1, 1, 1}, {2}, 0, 2,
       Verdict::read_failure, 1},
      {"read failure in the worker's lane at its file's last chunk", {big, big, 1, 1, 1, 1, 1}, {1}, 0, 11,
       Verdict::read_failure, 1},
      {"read failure in the own lane at its file's last chunk", {big, big, 1, 1, 1, 1, 1}, {7}, 0, 15,
       Verdict::read_failure, 2},
      {"small files in the worker's lane beside a large one, the third one's mismatch", {1, big, 1, 1, 1, 1, 1}, {4},
       0, 0, Verdict::mismatch, 4},
      {"mismatch in the own lane among small files", {1, 1, 1, 1, 1, 1, 1}, {2}, 0, 0, Verdict::mismatch, 2},
      {"mismatch of the last line after a large file", {big, 1, 1, 1, 1, 1, kChunk}, {7}, 0, 0, Verdict::mismatch, 7},
      {"missing file after large ones", {big, big, 1, 1, 1, 1, 1}, {}, 6, 0, Verdict::missing, 6},
      {"empty files", {0, 0, 0, 0, 0, 0, 0}, {}, 0, 0, Verdict::verified},
      {"files of whole chunks", {kChunk, 2 * kChunk, kChunk, 0, 3 * kChunk, 1, kChunk}, {}, 0, 0, Verdict::verified},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    TempDir dir;
    std::vector<Listed> files = payload(c.sizes);
    for (const std::size_t line : c.wrong) files[line - 1].wrong_digest = true;
    if (c.missing != 0) files[c.missing - 1].missing = true;
    write_folder(dir, files);
    fault::arm({});
    if (c.failing_read != 0) fail_read(c.failing_read);
    const std::string found = outcome([&] { verify_payload_entries(dir.path()); });
    if (c.failing_read != 0) EXPECT_GE(sys::test::count_of(kReadCall), c.failing_read);
    switch (c.verdict) {
      case Verdict::verified: EXPECT_EQ(found, "verified"); break;
      case Verdict::mismatch:
        EXPECT_EQ(found, mismatch_of("Payload checksum mismatch", files[c.deciding_line - 1]));
        break;
      case Verdict::missing: EXPECT_EQ(found, "Cannot read input file: missing"); break;
      case Verdict::read_failure: EXPECT_EQ(found, "SHA256 calculation failed"); break;
    }
    sys::test::clear_hooks();
  }
}

// One large file and many tiny ones, the large one first, in the middle or last: the tiny ones pass through one
// lane while the other reads the large one; every line is checked, and every byte is reported once.
TEST_F(PairedHashing, OneLargeFileAmongManyTinyOnes) {
  const std::size_t large = 40 * kChunk + 17;
  for (const std::size_t large_line : {1, 2, 50, 100}) {
    for (const std::size_t wrong_line : {0, 1, 2, 3, 51, 99, 100}) {
      SCOPED_TRACE("large file on line " + std::to_string(large_line) + ", wrong digest on line " +
                   std::to_string(wrong_line));
      TempDir dir;
      std::vector<Listed> files = software(100, 3);
      files[large_line - 1].size = large;
      if (wrong_line != 0) files[wrong_line - 1].wrong_digest = true;
      write_folder(dir, files);
      std::uint64_t total = 0;
      for (const Listed& file : files) total += file.size;

      tavo::test::ProgressCounter counter;
      const std::string found = outcome([&] { verify_software_manifest(dir.path()); });
      if (wrong_line == 0) {
        EXPECT_EQ(found, "verified");
        EXPECT_EQ(counter.bytes, total);
        EXPECT_GE(counter.reports, 41 + 99);
      } else {
        EXPECT_EQ(found, mismatch_of("Bundled software checksum mismatch", files[wrong_line - 1]));
      }
    }
  }
}

// The calls through the door depend on the manifest and the files alone, never on which thread is faster.
TEST_F(PairedHashing, SameCallsInEveryRun) {
  TempDir dir;
  std::vector<Listed> files = software(120, 9 * kChunk);
  files[7].size = 3 * kChunk;
  files[60].size = 20 * kChunk + 1;
  write_folder(dir, files);
  std::size_t file_reads = 0;
  for (const Listed& file : files) file_reads += (file.size + kChunk - 1) / kChunk + 1;

  std::vector<std::vector<std::string>> runs;
  for (int run = 0; run < 4; ++run) {
    fault::arm({});
    EXPECT_EQ(outcome([&] { verify_software_manifest(dir.path()); }), "verified");
    runs.push_back(fault::recorded_calls());
    // The manifest's reads come on top of every file's.
    EXPECT_GT(sys::test::count_of(kReadCall), static_cast<long>(file_reads));
    EXPECT_LT(sys::test::count_of(kReadCall), static_cast<long>(file_reads) + 10);
  }
  for (int run = 1; run < 4; ++run) EXPECT_EQ(runs[run], runs[0]) << "run " << run;
}

// The held folder's verification notes every listed file's fingerprint under its place in the package.
TEST_F(PairedHashing, NotesEveryHashedFile) {
  TempDir dir;
  const std::vector<Listed> files = software(100, 4 * kChunk);
  write_folder(dir, files);
  fs::HeldFolder folder;
  ASSERT_FALSE(fs::HeldFolder::open(dir.path(), folder));
  fs::HashedFiles hashed;
  verify_software_entries(folder, nullptr, &hashed);
  for (const Listed& file : files) {
    EXPECT_NE(hashed.find(L"Originalsoftware/" + wide_from_utf8(file.name)), nullptr) << file.name;
  }
}

}  // namespace
}  // namespace tavo::verify
