#include "verify/sha256.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/error.hpp"
#include "reference_sha256.hpp"
#include "support/test_support.hpp"
#include "verify/sha256_engine.hpp"

namespace tavo::verify {
namespace {

using tavo::test::TempDir;
using test::reference_sha256;

template <typename F>
std::string error_of(F&& call) {
  return tavo::test::message_raised<Error>(call, "(no error)");
}

// Bytes that differ from chunk to chunk and do not repeat with any power-of-two period.
std::string pattern(std::size_t size) {
  std::string bytes(size, '\0');
  std::uint32_t state = 0x12345678;
  for (char& c : bytes) {
    state = state * 1664525u + 1013904223u;
    c = static_cast<char>(state >> 24);
  }
  return bytes;
}

TEST(ReferenceSha256, AgreesWithPublishedVector) {
  // Guards the test's own reference before the tables below rely on it.
  EXPECT_EQ(reference_sha256("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(FileSha256, PublishedVectors) {
  struct Vector {
    std::string bytes;
    const char* digest;
  };
  const Vector vectors[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrst"
       "u",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  TempDir dir;
  for (const Vector& v : vectors) {
    SCOPED_TRACE(v.bytes.size());
    const fs::Path file = dir / L"vector.bin";
    tavo::test::write_file(file, v.bytes);
    EXPECT_EQ(file_sha256(file), v.digest);
  }
}

// Sizes around the 64 KiB read chunk, and one of a few MiB that ends inside a chunk.
TEST(FileSha256, SizesAroundTheReadChunk) {
  TempDir dir;
  for (const std::size_t size : {std::size_t{1}, std::size_t{65535}, std::size_t{65536}, std::size_t{65537},
                                 std::size_t{3 * 65536}, std::size_t{3 * 1024 * 1024 + 17}}) {
    SCOPED_TRACE(size);
    const std::string bytes = pattern(size);
    const fs::Path file = dir / L"data.bin";
    tavo::test::write_file(file, bytes);
    EXPECT_EQ(file_sha256(file), reference_sha256(bytes));
  }
}

TEST(FileSha256, BytesAreReadUnchanged) {
  // Line ends, a NUL and the old end-of-text byte 0x1A must reach the hash as they are.
  const std::string bytes("a\r\nb\nc\r\x1A\0d\x1A\r\n", 13);
  TempDir dir;
  tavo::test::write_file(dir / L"text.txt", bytes);
  EXPECT_EQ(file_sha256(dir / L"text.txt"), reference_sha256(bytes));
}

TEST(FileSha256, UnreadablePathsAreRefused) {
  TempDir dir;
  tavo::test::write_file(dir / L"file.bin", "x");
  tavo::test::make_directories(dir / L"folder");
  const fs::Path paths[] = {dir / L"missing.bin", dir / L"missing/file.bin", dir / L"folder", dir.path(),
                            dir / std::wstring(L"file.bin\0", 9)};
  for (const fs::Path& path : paths) {
    SCOPED_TRACE(tavo::test::std_path(path).string());
    EXPECT_EQ(error_of([&] { (void)file_sha256(path); }), "Cannot read input file");
  }
}

TEST(FileSha256, PathLongerThanTheClassicLimit) {
  TempDir dir;
  fs::Path file = dir.path();
  for (int i = 0; i < 6; ++i) file = fs::join(file, std::wstring(50, static_cast<wchar_t>(L'a' + i)));
  file = fs::join(file, L"TavoDrv.dll");
  ASSERT_GT(file.text().size(), 300u);
  tavo::test::write_file(file, "abc");
  EXPECT_EQ(file_sha256(file), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

// An engine whose steps fail on request and that records what was called.
class ScriptedEngine : public Sha256Engine {
 public:
  enum Step { open_step, create_step, hash_step, finish_step, none };
  explicit ScriptedEngine(Step failing) : failing_(failing) {}

  bool open_provider() noexcept override { return record("open", open_step); }
  bool create_hash() noexcept override { return record("create", create_step); }
  bool hash_data(const unsigned char*, std::size_t) noexcept override { return record("hash", hash_step); }
  bool finish_hash(unsigned char (&digest)[sha256_digest_size]) noexcept override {
    constexpr unsigned char kBytes[] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    for (std::size_t i = 0; i < sha256_digest_size; ++i) digest[i] = kBytes[i % 8];
    return record("finish", finish_step);
  }
  const std::vector<std::string>& calls() const { return calls_; }

 private:
  bool record(const char* name, Step step) {
    calls_.emplace_back(name);
    return step != failing_;
  }
  Step failing_;
  std::vector<std::string> calls_;
};

TEST(FileSha256, PlatformStepFailures) {
  struct Case {
    ScriptedEngine::Step failing;
    const char* message;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {ScriptedEngine::open_step, "SHA256 unavailable", {"open"}},
      {ScriptedEngine::create_step, "SHA256 initialization failed", {"open", "create"}},
      // The first chunk fails: nothing more is read and the hash is not finished.
      {ScriptedEngine::hash_step, "SHA256 calculation failed", {"open", "create", "hash"}},
      {ScriptedEngine::finish_step, "SHA256 calculation failed", {"open", "create", "hash", "hash", "finish"}},
      {ScriptedEngine::none, "(no error)", {"open", "create", "hash", "hash", "finish"}},
  };
  TempDir dir;
  tavo::test::write_file(dir / L"two-chunks.bin", pattern(65537));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    ScriptedEngine engine(c.failing);
    EXPECT_EQ(error_of([&] { (void)file_sha256(dir / L"two-chunks.bin", engine); }), c.message);
    EXPECT_EQ(engine.calls(), c.calls);
  }
}

TEST(FileSha256, DigestIsWrittenInLowerCaseHex) {
  TempDir dir;
  tavo::test::write_file(dir / L"f.bin", "x");
  ScriptedEngine engine(ScriptedEngine::none);
  // Digest order, high nibble first, lower case: a comparison with upper-case text must fail.
  EXPECT_EQ(file_sha256(dir / L"f.bin", engine),
            "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef");
}

TEST(FileSha256, FileIsCheckedBeforeThePlatformIsAsked) {
  TempDir dir;
  ScriptedEngine engine(ScriptedEngine::none);
  EXPECT_EQ(error_of([&] { (void)file_sha256(dir / L"missing.bin", engine); }), "Cannot read input file");
  EXPECT_TRUE(engine.calls().empty());
}

}  // namespace
}  // namespace tavo::verify
