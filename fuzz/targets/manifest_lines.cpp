// The manifest reader and the line checks of both verifications on any manifest text.
//
// Properties: the reader delivers exactly the lines of the text (cut at LF, one CR off a line's end, no line
// after a final LF) and refuses a line past its bound without its text; every line in the documented layout
// (digest, two spaces, a name that the rule accepts) passes and is hashed under its own name, every other line
// fails with the manifest's own message; the count checks come after every line.
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "common/error.hpp"
#include "fs/file_status.hpp"
#include "fs/path.hpp"
#include "fuzz_support.hpp"
#include "tavo/build_config.hpp"
#include "fs/input_file.hpp"
#include "verify/manifest.hpp"
#include "verify/manifest_lines.hpp"
#include "verify/manifest_names.hpp"

namespace tavo::fuzz {
namespace {

const std::string kDigest(64, 'd');  // what every listed file hashes to here
constexpr std::size_t kSmallBound = 80;

// A folder of this process for the manifest, removed at the end.
class ManifestFolder {
 public:
  ManifestFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavo-fuzz-XXXXXX").string();
    check(::mkdtemp(pattern.data()) != nullptr, "a temporary folder can be made");
    folder_ = pattern;
  }
  ~ManifestFolder() {
    ::unlink(manifest().c_str());
    ::rmdir(folder_.c_str());
  }
  std::string manifest() const { return folder_ + "/SHA256SUMS.txt"; }
  fs::Path path() const { return fs::Path(std::wstring(folder_.begin(), folder_.end())); }

  void write(std::string_view bytes) const {
    std::ofstream out(manifest(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    check(out.good(), "the manifest can be written");
  }

 private:
  std::string folder_;
};

// The lines of the text; nothing for a line longer than `bound`.
std::vector<std::optional<std::string>> lines_of(std::string_view text, std::size_t bound) {
  std::vector<std::optional<std::string>> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t lf = text.find('\n', start);
    std::string line(text.substr(start, (lf == std::string_view::npos ? text.size() : lf) - start));
    // Windows' text mode reads CR LF as LF; then one CR comes off, as everywhere.
    if (build_config::windows && lf != std::string_view::npos && !line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line.size() > bound ? std::nullopt : std::optional<std::string>(line));
    if (lf == std::string_view::npos) break;
    start = lf + 1;
  }
  return lines;
}

void check_reader(const ManifestFolder& folder, std::string_view text) {
  const fs::Path path = fs::join(folder.path(), L"SHA256SUMS.txt");
  std::optional<fs::InputFile> file = fs::InputFile::open(path);
  check(file.has_value(), "the manifest opens");
  verify::ManifestLines reader(*file, path, kSmallBound);
  std::vector<std::optional<std::string>> read;
  std::string line;
  while (reader.next(line)) {
    check(!reader.too_long() || line.empty(), "a too long line comes without its text");
    read.push_back(reader.too_long() ? std::nullopt : std::optional<std::string>(line));
  }
  check(read == lines_of(text, kSmallBound), "the reader delivers the lines of the text");
}

// Notes the digests asked for and the lines that failed, and goes on.
class Noting final : public verify::LineWatcher {
 public:
  std::string digest(const fs::Path& file, fs::InputFile&) override {
    hashed.push_back(file.text());
    return kDigest;
  }
  void line_failed(std::uint32_t number, std::string_view) override {
    try {
      throw;
    } catch (const Error&) {  // the manifest's own messages, and a name not valid in its encoding
    }
    failed.push_back(number);
  }
  std::vector<std::wstring> hashed;
  std::vector<std::uint32_t> failed;
};

struct Rules {
  std::wstring (*name_as_wide)(std::string_view);
  bool (*name_accepted)(std::wstring_view) noexcept;
  void (*verify_entries)(const fs::Path&, verify::LineWatcher&);
  bool (*count_accepted)(std::size_t);
  const char* count_message;
};

void check_verification(const ManifestFolder& folder, std::string_view text, const Rules& rules) {
  Noting expected;
  std::uint32_t number = 0;
  for (const std::optional<std::string>& line : lines_of(text, verify::kLongestManifestLine)) {
    ++number;
    if (!line || line->size() < 67 || line->compare(64, 2, "  ") != 0) {
      expected.failed.push_back(number);
      continue;
    }
    std::wstring name;
    try {
      name = rules.name_as_wide(std::string_view(*line).substr(66));
    } catch (const SystemError&) {
      expected.failed.push_back(number);
      continue;
    }
    if (!rules.name_accepted(name)) {
      expected.failed.push_back(number);
      continue;
    }
    if (!build_config::windows) {
      for (wchar_t& c : name) c = c == L'\\' ? L'/' : c;
    }
    // A listed file is opened before it is hashed: one that is not there fails its line unhashed.
    const fs::Path file = fs::join(folder.path(), name);
    if (fs::status(file) != fs::FileType::regular) {
      expected.failed.push_back(number);
      continue;
    }
    expected.hashed.push_back(file.text());
    if (line->compare(0, 64, kDigest) != 0) expected.failed.push_back(number);
  }

  Noting noting;
  bool count_refused = false;
  try {
    rules.verify_entries(folder.path(), noting);
  } catch (const Error& e) {
    check(std::string_view(e.what()) == rules.count_message, "only the count ends a verification that goes on");
    count_refused = true;
  }
  check(noting.failed == expected.failed, "exactly the lines outside the documented layout fail");
  check(noting.hashed == expected.hashed, "every line that passes its checks is hashed under its own name");
  check(count_refused == !rules.count_accepted(number), "the count is checked after every line");
}

}  // namespace
}  // namespace tavo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavo;
  using namespace tavo::fuzz;
  static const ManifestFolder folder;
  const std::string_view text = bytes_of(data, size);
  folder.write(text);
  check_reader(folder, text);
  check_verification(folder, text,
                     {verify::wide_from_narrow_file_name, verify::is_valid_payload_name, verify::verify_payload_entries,
                      [](std::size_t lines) { return lines == 7; }, "Incomplete payload manifest"});
  check_verification(folder, text,
                     {verify::wide_from_utf8_file_name, verify::is_valid_software_path, verify::verify_software_entries,
                      [](std::size_t lines) { return lines >= 100; }, "Bundled software incomplete"});
  return 0;
}
