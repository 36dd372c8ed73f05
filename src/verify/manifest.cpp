#include "verify/manifest.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/setup_error.hpp"
#include "tavo/build_config.hpp"
#include "verify/input_file.hpp"
#include "verify/known_digests.hpp"
#include "verify/manifest_lines.hpp"
#include "verify/manifest_names.hpp"
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

// Verifies every line of folder's manifest in file order, the first failure deciding; returns how many
// entries passed.
std::uint32_t verify_entries(const fs::Path& folder, const ManifestKind& kind) {
  const fs::Path manifest_path = fs::join(folder, L"SHA256SUMS.txt");
  std::optional<InputFile> manifest = InputFile::open(manifest_path);
  if (!manifest) throw SetupError(kind.missing);

  ManifestLines lines(*manifest, manifest_path);
  std::uint32_t count = 0;
  std::string line;
  while (lines.next(line)) {
    if (line.size() < kNameStart + 1 || line.compare(kDigestLength, 2, "  ") != 0) {
      throw SetupError(kind.invalid_line);
    }
    std::wstring name = kind.name_as_wide(std::string_view(line).substr(kNameStart));
    if (!kind.name_accepted(name)) throw SetupError(kind.invalid_name);
    if constexpr (!build_config::windows) {
      // Both separators divide a manifest name; this system's file calls know only the slash.
      std::replace(name.begin(), name.end(), L'\\', L'/');
    }
    if (file_sha256(fs::join(folder, name)) != std::string_view(line).substr(0, kDigestLength)) {
      throw SetupError(kind.mismatch);
    }
    ++count;
  }
  return count;
}

}  // namespace

void verify_payload_manifest(const fs::Path& payload_dir) {
  if (verify_entries(payload_dir, kPayload) != 7) throw SetupError("Incomplete payload manifest");
  // Checked whether or not the manifest lists it: the installation always takes this file.
  if (file_sha256(fs::join(payload_dir, L"TavoDrv.dll")) != patched_driver_dll_sha256) {
    throw SetupError("Wrong patched DLL");
  }
}

void verify_software_manifest(const fs::Path& source_dir) {
  if (verify_entries(source_dir, kSoftware) < 100) throw SetupError("Bundled software incomplete");
}

}  // namespace tavo::verify
