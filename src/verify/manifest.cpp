#include "verify/manifest.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/error.hpp"
#include "fs/input_file.hpp"
#include "verify/known_digests.hpp"
#include "verify/manifest_lines.hpp"
#include "verify/manifest_names.hpp"
#include "verify/package_layout.hpp"
#include "verify/sha256.hpp"

namespace tavo::verify {
namespace {

// Line layout by byte: 64 digest characters, two spaces, a name of at least one byte.
constexpr std::size_t kDigestLength = 64;
constexpr std::size_t kNameStart = kDigestLength + 2;

struct ManifestKind {
  const char* missing;
  const char* invalid_line;
  const char* invalid_name;
  const char* mismatch;
  std::wstring (*name_as_wide)(std::string_view);
  bool (*name_accepted)(std::wstring_view) noexcept;
};

constexpr ManifestKind kPayload = {"Payload manifest missing", "Invalid payload manifest",
                                   "Invalid payload filename", "Payload checksum mismatch",
                                   wide_from_narrow_file_name, is_valid_payload_name};

constexpr ManifestKind kSoftware = {"Bundled software manifest missing", "Invalid software manifest",
                                    "Invalid software path", "Bundled software checksum mismatch",
                                    wide_from_utf8_file_name, is_valid_software_path};

bool has_line_layout(std::string_view line) noexcept {
  return line.size() > kNameStart && line.compare(kDigestLength, 2, "  ") == 0;
}

void verify_line(const fs::Path& folder, const ManifestKind& kind, std::string_view line, LineWatcher* watcher) {
  if (!has_line_layout(line)) throw Error(kind.invalid_line);
  const std::wstring name = kind.name_as_wide(line.substr(kNameStart));
  if (!kind.name_accepted(name)) throw Error(kind.invalid_name);
  const fs::Path file = fs::join(folder, with_file_call_separators(name));
  if ((watcher != nullptr ? watcher->digest(file) : file_sha256(file)) != line.substr(0, kDigestLength))
    throw Error(kind.mismatch);
}

// Verifies every line of folder's manifest in file order; returns how many lines were checked. Without a
// watcher the first failure raises, so every line counted has passed.
std::uint32_t verify_entries(const fs::Path& folder, const ManifestKind& kind, LineWatcher* watcher) {
  const fs::Path manifest_path = fs::join(folder, kManifestName);
  std::optional<fs::InputFile> manifest = fs::InputFile::open(manifest_path);
  if (!manifest) throw Error(kind.missing);

  ManifestLines lines(*manifest, manifest_path);
  std::uint32_t count = 0;
  std::string line;
  while (lines.next(line)) {
    ++count;
    const auto check_line = [&] {
      if (lines.too_long()) throw Error(kind.invalid_line);
      verify_line(folder, kind, line, watcher);
    };
    if (watcher == nullptr) {
      check_line();
      continue;
    }
    try {
      check_line();
    } catch (const Error& failure) {
      const std::string_view name = has_line_layout(line) ? std::string_view(line).substr(kNameStart) : "";
      watcher->report(count, name, failure);
    }
  }
  return count;
}

void payload_entries(const fs::Path& payload_dir, LineWatcher* watcher) {
  if (verify_entries(payload_dir, kPayload, watcher) != kPayloadFileCount) throw Error("Incomplete payload manifest");
}

void software_entries(const fs::Path& source_dir, LineWatcher* watcher) {
  if (verify_entries(source_dir, kSoftware, watcher) < kLeastSoftwareFiles) throw Error("Bundled software incomplete");
}

}  // namespace

std::string LineWatcher::digest(const fs::Path& file) { return file_sha256(file); }

void LineWatcher::report(std::uint32_t number, std::string_view name, const Error& failure) {
  struct Forget {
    const Error*& failure;
    ~Forget() { failure = nullptr; }
  } forget{failure_};
  failure_ = &failure;
  line_failed(number, name);
}

void verify_payload_entries(const fs::Path& payload_dir) { payload_entries(payload_dir, nullptr); }

void verify_payload_entries(const fs::Path& payload_dir, LineWatcher& watcher) {
  payload_entries(payload_dir, &watcher);
}

void check_patched_payload_dll(const fs::Path& payload_dir) {
  // Checked whether or not the manifest lists it: the installation always takes this file.
  if (file_sha256(fs::join(payload_dir, kPatchedDriverDllName)) != patched_driver_dll_sha256) {
    throw Error("Wrong patched DLL");
  }
}

void verify_software_entries(const fs::Path& source_dir) { software_entries(source_dir, nullptr); }

void verify_software_entries(const fs::Path& source_dir, LineWatcher& watcher) {
  software_entries(source_dir, &watcher);
}

void verify_payload_manifest(const fs::Path& payload_dir) {
  verify_payload_entries(payload_dir);
  check_patched_payload_dll(payload_dir);
}

void verify_software_manifest(const fs::Path& source_dir) { verify_software_entries(source_dir); }

}  // namespace tavo::verify
