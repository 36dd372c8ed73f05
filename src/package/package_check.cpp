#include "package/package_check.hpp"

#include <string>

#include "common/utf8.hpp"
#include "fs/file_status.hpp"
#include "install/package_checks.hpp"
#include "package/package_rules.hpp"
#include "verify/manifest.hpp"
#include "verify/package_layout.hpp"
#include "verify/sha256.hpp"

namespace tavo::package {
namespace {

// Notes every failing line of one manifest as a problem of the file that the line names, and counts the
// files that are hashed.
class ProblemNotingWatcher final : public verify::LineWatcher {
 public:
  ProblemNotingWatcher(std::wstring_view folder, Progress& progress, ProblemList& problems)
      : folder_(utf8_from_wide(folder)), progress_(progress), problems_(problems) {}

  std::string digest(const fs::Path&, fs::InputFile& file) override {
    std::string digest = verify::file_sha256(file);  // its bytes reach the progress as it hashes
    progress_.hashed_file();
    return digest;
  }

  void line_failed(std::uint32_t number, std::string_view name) override {
    const std::string line = utf8_from_wide(verify::kManifestName) + " line " + std::to_string(number);
    problems_.add(name.empty() ? folder_ + "/" + line : folder_ + "/" + std::string(name) + " (" + line + ")",
                  message_with_reason(failure()));
  }

 private:
  std::string folder_;
  Progress& progress_;
  ProblemList& problems_;
};

}  // namespace

PackageEntries check_package(const fs::Path& root, Progress& progress, ProblemList& problems) {
  // A folder with neither part of a package is no package: one problem says so, not one per check.
  if (!fs::exists(fs::join(root, verify::kSourceFolderName)) && !fs::exists(fs::join(root, verify::kPayloadFolderName))) {
    problems.add(utf8_from_wide(root.text()), "Not a setup package: neither Originalsoftware nor Dateien found");
    return {};
  }
  ProblemNotingWatcher payload_lines(verify::kPayloadFolderName, progress, problems);
  ProblemNotingWatcher software_lines(verify::kSourceFolderName, progress, problems);
  const install::CheckedPackage package{root, fs::join(root, verify::kSourceFolderName), &payload_lines,
                                        &software_lines};
  for (const install::Stage stage : install::kAllStages) {
    install::run_every_step(install::package_checks(package, stage),
                            [&problems](const install::CheckStep& step, const Error& failure) {
                              // A file found wrong by its manifest line is not reported again by a later
                              // step that would copy it.
                              const std::string file = utf8_from_wide(step.file);
                              if (!problems.has_problem_of(file)) problems.add(file, message_with_reason(failure));
                            });
  }
  return check_package_rules(root, problems);
}

}  // namespace tavo::package
