#include "install/transaction.hpp"

#include <string>
#include <vector>

#include "common/error.hpp"
#include "common/progress.hpp"
#include "common/run_log.hpp"
#include "sys/this_process.hpp"
#include "fs/containment.hpp"
#include "fs/durability.hpp"
#include "fs/file_operations.hpp"
#include "fs/file_status.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/held_folder.hpp"
#include "install/editor_config.hpp"
#include "install/finalize.hpp"
#include "install/held_package.hpp"
#include "install/installation_marker.hpp"
#include "install/package_checks.hpp"
#include "install/staging_folder.hpp"
#include "install/target_layout.hpp"
#include "verify/package_layout.hpp"

namespace tavo::install {

namespace {

// The target's parent, held: the folders that were missing are created relative to the nearest one that was
// there, which is the one the containment is judged on.
struct TargetParent {
  fs::HeldFolder folder;
  std::vector<std::wstring> missing;  // below `folder`, the topmost first
};

TargetParent hold_target_parent(const fs::Path& target_dir) {
  TargetParent parent;
  const fs::Path path = fs::parent(target_dir);
  if (const std::error_code error = fs::hold_nearest_existing(path, parent.folder, parent.missing)) {
    throw fs::FileSystemError("create_directories", error, path);
  }
  return parent;
}

std::wstring last_name(const fs::Path& path) {
  const fs::Path up = fs::parent(path);
  std::wstring name = path.text().substr(up.text().size());
  while (!name.empty() && fs::is_separator(name.front())) name.erase(0, 1);
  return name;
}

}  // namespace

void prepare_installation(const fs::Path& exe_dir, const fs::Path& source_dir, const fs::Path& target_dir) {
  // Checking: nothing is written until the package has proven intact. Its folders are held from here on, so
  // that what is installed is what was checked.
  progress::start_phase(progress::Phase::checking);
  HeldPackage held(exe_dir);
  const CheckedPackage package{exe_dir, source_dir, nullptr, nullptr, &held};
  {
    const run_log::Step step("Checking the package");
    run_until_first_problem(package_checks(package, Stage::content));
  }
  const fs::Path payload_dir = fs::join(exe_dir, verify::kPayloadFolderName);

  // An existing target is never touched: either it is this installation already, or it is refused.
  if (fs::exists(target_dir)) {
    if (is_current_installation(target_dir, payload_dir)) {
      run_log::note("The target already holds this installation: left as it is");
      return;
    }
    run_log::note("The target exists and is not this installation");
    throw Error("Destination exists and will not be overwritten");
  }

  // Settings that could not be written are refused now, not after the whole tree was copied.
  check_editor_folders(target_dir, fs::join(payload_dir, verify::kPayloadFileNames[2]));  // the tset.ini template

  // The staging folder beside such a target would lie inside the trees it is copied from: the copy would
  // never end, and the package's original software would be written to. The spelling gives a quick answer;
  // the held folder that the staging folder will be made in gives the sure one (links, junctions, mounts,
  // other drive letters, short names).
  TargetParent parent = hold_target_parent(target_dir);
  if (fs::is_within(target_dir, source_dir) ||
      fs::lies_within_on_disk(parent.folder, held.source("Bundled original software missing"))) {
    throw Error("Destination inside bundled original software");
  }

  {
    const run_log::Step step("Checking the original software's trees for links");
    run_until_first_problem(package_checks(package, Stage::source_trees));
  }

  // Preparing: the staging folder is a fresh sibling of the target, made in the held parent.
  if (!parent.missing.empty()) run_log::note("Creating the target's missing parent folders");
  if (const std::error_code error = fs::create_held_folders(parent.folder, parent.missing)) {
    throw fs::FileSystemError("create_directories", error, fs::parent(target_dir));
  }
  const std::wstring target_name = last_name(target_dir);
  StagingFolder staging = create_staging_folder(parent.folder, target_name, current_process_id());
  run_log::note("Staging folder: " + run_log::quoted(staging.name) + " beside the target");

  // Filling: everything goes into the held staging folder, which nobody else uses.
  progress::start_phase(progress::Phase::copying);
  const fs::Path staging_dir = staging.folder.access_path();
  {
    const run_log::Step step("Copying into the staging folder");
    fill_staging_folder(held, staging.folder);
  }
  {
    const run_log::Step step("Editor settings, user folders and marker");
    configure_editor(staging_dir, target_dir);
    create_user_folders(staging_dir);
    write_installation_marker(staging_dir);
  }
  {
    // Durable before visible: a power cut after the rename must not leave a marked target over partial files.
    const run_log::Step step("Flushing the staging folder to disk");
    fs::flush_tree(staging_dir);
  }

  // Finalizing: the filled folder itself appears under the target's name, complete, in one step.
  {
    const run_log::Step step("Renaming the staging folder to the target");
    finalize_installation(parent.folder, std::move(staging.folder), staging.name, target_name);
  }
  (void)parent.folder.flush_entries();  // best effort: the rename has happened
}

}  // namespace tavo::install
