#include "package/package_check.hpp"

#include <string>

#include "common/error.hpp"
#include "common/utf8.hpp"
#include "fs/file_status.hpp"
#include "fs/file_operations.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/link_check.hpp"
#include "install/installation_names.hpp"
#include "package/hashing.hpp"
#include "package/package_layout.hpp"
#include "setup/package_names.hpp"
#include "verify/manifest.hpp"
#include "verify/original_software.hpp"

namespace tavo::package {
namespace {

std::string label(std::wstring_view folder, std::wstring_view name) {
  return utf8_from_wide(folder) + "/" + utf8_from_wide(name);
}

// Notes every failing line of one manifest and lets its verification go on; hashes with progress.
class ProblemNotingWatcher final : public verify::LineWatcher {
 public:
  ProblemNotingWatcher(std::wstring_view folder, Progress& progress, ProblemList& problems)
      : folder_(utf8_from_wide(folder)), progress_(progress), problems_(problems) {}

  std::string digest(const fs::Path& file) override { return digest_with_progress(file, progress_); }

  void line_failed(std::uint32_t number, std::string_view name) override {
    const std::string line = "SHA256SUMS.txt line " + std::to_string(number);
    problems_.note_current(name.empty() ? folder_ + "/" + line : folder_ + "/" + std::string(name) + " (" + line + ")");
  }

 private:
  std::string folder_;
  Progress& progress_;
  ProblemList& problems_;
};

// The setup copies the file while it builds the installation; a file that is not there fails that copy.
void require_copied_file(const fs::Path& path) {
  const fs::FileType type = fs::status(path);
  if (type == fs::FileType::not_found) throw fs::FileSystemError("copy_file", fs::detail::not_found_code(), path);
  if (type != fs::FileType::regular) throw Error("Cannot read input file");
}

}  // namespace

void check_package(const fs::Path& root, Progress& progress, ProblemList& problems) {
  const std::wstring_view source_name = setup::kSourceFolderName;
  const std::wstring_view payload_name = install::kPayloadFolderName;
  const fs::Path source_dir = fs::join(root, source_name);
  const fs::Path payload_dir = fs::join(root, payload_name);

  bool has_software = false;
  problems.check(utf8_from_wide(source_name), [&] {
    has_software = verify::has_original_software(source_dir);
    if (!has_software) throw Error("Bundled original software missing");
  });

  ProblemNotingWatcher payload_lines(payload_name, progress, problems);
  problems.check(label(payload_name, kManifestName),
                 [&] { verify::verify_payload_entries(payload_dir, payload_lines); });
  problems.check(label(payload_name, L"TavoDrv.dll"), [&] { verify::check_patched_payload_dll(payload_dir); });
  ProblemNotingWatcher software_lines(source_name, progress, problems);
  problems.check(label(source_name, kManifestName),
                 [&] { verify::verify_software_entries(source_dir, software_lines); });

  if (has_software) {
    problems.check(label(source_name, L"App/Bin/TavoDrv.dll"), [&] { verify::check_driver_dll_version(source_dir); });
  }
  for (const wchar_t* tree : kSoftwareTrees) {
    const fs::Path tree_dir = fs::join(source_dir, tree);
    // A missing "App" or "Tavo" is the presence check's problem; "Presets" is optional.
    problems.check(label(source_name, tree), [&] {
      if (fs::exists(tree_dir)) fs::refuse_linked_tree(tree_dir);
    });
  }

  for (const wchar_t* name : kPayloadFileNames) {
    problems.check(label(payload_name, name), [&] { require_copied_file(fs::join(payload_dir, name)); });
  }
  problems.check(utf8_from_wide(kUserGuideName), [&] { require_copied_file(fs::join(root, kUserGuideName)); });
}

}  // namespace tavo::package
