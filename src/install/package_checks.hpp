#pragma once
// The setup's checks of a package as one ordered list of named steps. The setup takes them one by one and
// stops at the first problem; the package tool's check takes every one and lists each problem with the file
// that it concerns.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/error.hpp"
#include "fs/path.hpp"
#include "install/held_package.hpp"
#include "verify/manifest.hpp"

namespace tavo::install {

// One check, named by the file it concerns: relative to the package root, "/" between names.
struct CheckStep {
  CheckStep(std::wstring file_, std::function<void()> run_, std::function<bool()> worth_taking_ = {})
      : file(std::move(file_)), run(std::move(run_)), worth_taking(std::move(worth_taking_)) {}

  std::wstring file;
  std::function<void()> run;  // raises the setup's own error
  // Asked only by a run that goes on after problems: false when the step would merely restate, in other
  // words, a problem that an earlier step reports (what it checks is missing). Empty: always taken.
  std::function<bool()> worth_taking;
};

// The package that the steps check, and how its manifests' lines report: without a watcher the first failing
// line raises; with one, each failing line goes to it and the manifest's check goes on.
struct CheckedPackage {
  fs::Path root;        // the package folder: the setup program's own folder
  fs::Path source_dir;  // its original software (the setup passes it in its absolute form)
  verify::LineWatcher* payload_lines = nullptr;
  verify::LineWatcher* software_lines = nullptr;
  // The setup's package, held from its first check to its last copy: the steps read through its folders and
  // note there what they hashed. Null (the package tool): each step opens what it reads by path.
  HeldPackage* held = nullptr;
};

// The steps come in stages, in the order in which the setup meets them:
enum class Stage {
  presence,      // the original software is there: the setup's first check, before it asks anything
  content,       // both manifests line by line, the patched payload DLL, the original software's driver DLL:
                 // prepare_installation's checks before anything is written
  source_trees,  // the link checks of "App" and "Tavo", right before the staging folder is made
  presets,       // the link check of "Presets" when it is there, as the filling reaches it
  copied_files,  // the seven payload files and the user guide, which the filling copies: the setup meets
                 // their problems as the copies' failures and does not take these steps itself
};
inline constexpr Stage kAllStages[] = {Stage::presence, Stage::content, Stage::source_trees, Stage::presets,
                                       Stage::copied_files};

// The steps of one stage, in order.
[[nodiscard]] std::vector<CheckStep> package_checks(const CheckedPackage& package, Stage stage);

// Takes the steps in order; the first problem raises.
void run_until_first_problem(const std::vector<CheckStep>& steps);

// Takes every step worth taking in order; each raised Error goes to `problem` with its step, and the run goes
// on. Anything else (out of memory, a logic error) ends the run.
void run_every_step(const std::vector<CheckStep>& steps,
                    const std::function<void(const CheckStep& step, const Error& failure)>& problem);

}  // namespace tavo::install
