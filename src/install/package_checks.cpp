#include "install/package_checks.hpp"

#include "fs/file_operations.hpp"
#include "fs/file_status.hpp"
#include "fs/link_check.hpp"
#include "verify/original_software.hpp"
#include "verify/package_layout.hpp"

namespace tavo::install {
namespace {

std::wstring named(std::wstring_view folder, std::wstring_view name) {
  return std::wstring(folder) + L"/" + std::wstring(name);
}

// The setup's content checks: through the held package, every hashed file noted.
std::vector<CheckStep> held_content_checks(const CheckedPackage& package) {
  using namespace verify;
  HeldPackage* held = package.held;
  const fs::Path source_dir = package.source_dir;
  return {
      {named(kPayloadFolderName, kManifestName),
       [held] {
         verify_payload_entries(held->payload("Payload manifest missing"), nullptr, &held->hashed());
       }},
      {named(kPayloadFolderName, kPatchedDriverDllName),
       [held] { check_patched_payload_dll(held->payload("Cannot read input file"), &held->hashed()); }},
      {named(kSourceFolderName, kManifestName),
       [held] {
         verify_software_entries(held->source("Bundled software manifest missing"), nullptr, &held->hashed());
       }},
      {named(kSourceFolderName, kSourceDriverDllPath),
       [source_dir] {
         if (!has_original_software(source_dir)) throw Error("Original TAVO software missing");
         check_driver_dll_version(source_dir);
       }},
  };
}

std::vector<CheckStep> content_checks(const CheckedPackage& package) {
  using namespace verify;
  if (package.held != nullptr) return held_content_checks(package);
  const fs::Path payload_dir = fs::join(package.root, kPayloadFolderName);
  const fs::Path source_dir = package.source_dir;
  return {
      {named(kPayloadFolderName, kManifestName),
       [payload_dir, lines = package.payload_lines] {
         lines != nullptr ? verify_payload_entries(payload_dir, *lines) : verify_payload_entries(payload_dir);
       }},
      {named(kPayloadFolderName, kPatchedDriverDllName), [payload_dir] { check_patched_payload_dll(payload_dir); }},
      {named(kSourceFolderName, kManifestName),
       [source_dir, lines = package.software_lines] {
         lines != nullptr ? verify_software_entries(source_dir, *lines) : verify_software_entries(source_dir);
       }},
      // The software was there when the setup began; it must still be there for its driver DLL to count.
      {named(kSourceFolderName, kSourceDriverDllPath),
       [source_dir] {
         if (!has_original_software(source_dir)) throw Error("Original TAVO software missing");
         check_driver_dll_version(source_dir);
       },
       [source_dir] { return has_original_software(source_dir); }},
  };
}

CheckStep tree_check(const CheckedPackage& package, const wchar_t* tree, bool optional) {
  if (HeldPackage* held = package.held) {
    return {named(verify::kSourceFolderName, tree), [held, tree, optional] {
              if (!optional || held->has_tree(tree)) fs::refuse_linked_tree(held->tree(tree));
            }};
  }
  const fs::Path& source_dir = package.source_dir;
  const fs::Path tree_dir = fs::join(source_dir, tree);
  if (optional) {
    return {named(verify::kSourceFolderName, tree), [tree_dir] {
              if (fs::exists(tree_dir)) fs::refuse_linked_tree(tree_dir);
            }};
  }
  // A missing tree is the presence check's problem.
  return {named(verify::kSourceFolderName, tree), [tree_dir] { fs::refuse_linked_tree(tree_dir); },
          [tree_dir] { return fs::exists(tree_dir); }};
}

std::vector<CheckStep> copied_file_checks(const CheckedPackage& package) {
  using namespace verify;
  std::vector<CheckStep> steps;
  for (const wchar_t* name : kPayloadFileNames) {
    const fs::Path file = fs::join(fs::join(package.root, kPayloadFolderName), name);
    steps.push_back({named(kPayloadFolderName, name), [file] { fs::check_copy_source(file); }});
  }
  const fs::Path guide = fs::join(package.root, kUserGuideName);
  steps.push_back({kUserGuideName, [guide] { fs::check_copy_source(guide); }});
  return steps;
}

}  // namespace

std::vector<CheckStep> package_checks(const CheckedPackage& package, Stage stage) {
  switch (stage) {
    case Stage::presence: {
      const fs::Path source_dir = package.source_dir;
      return {{verify::kSourceFolderName, [source_dir] {
                 if (!verify::has_original_software(source_dir)) throw Error("Bundled original software missing");
               }}};
    }
    case Stage::content:
      return content_checks(package);
    case Stage::source_trees:
      return {tree_check(package, verify::kAppTree, false), tree_check(package, verify::kTavoTree, false)};
    case Stage::presets:
      return {tree_check(package, verify::kPresetsTree, true)};
    case Stage::copied_files:
      return copied_file_checks(package);
  }
  return {};
}

void run_until_first_problem(const std::vector<CheckStep>& steps) {
  for (const CheckStep& step : steps) step.run();
}

void run_every_step(const std::vector<CheckStep>& steps,
                    const std::function<void(const CheckStep& step, const Error& failure)>& problem) {
  for (const CheckStep& step : steps) {
    // A step whose need cannot even be told (the folder cannot be looked at) is a problem of its own: skipping
    // it would accept a package that was never checked.
    try {
      if (step.worth_taking && !step.worth_taking()) continue;
      step.run();
    } catch (const Error& failure) {
      problem(step, failure);
    }
  }
}

}  // namespace tavo::install
