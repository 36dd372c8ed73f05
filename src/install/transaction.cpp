#include "install/transaction.hpp"

#include "common/error.hpp"
#include "common/progress.hpp"
#include "sys/this_process.hpp"
#include "fs/containment.hpp"
#include "fs/durability.hpp"
#include "fs/file_operations.hpp"
#include "fs/file_status.hpp"
#include "install/editor_config.hpp"
#include "install/finalize.hpp"
#include "install/installation_marker.hpp"
#include "install/package_checks.hpp"
#include "install/staging_folder.hpp"
#include "install/target_layout.hpp"
#include "verify/package_layout.hpp"

namespace tavo::install {

void prepare_installation(const fs::Path& exe_dir, const fs::Path& source_dir, const fs::Path& target_dir) {
  // Checking: nothing is written until the package has proven intact.
  progress::start_phase(progress::Phase::checking);
  const CheckedPackage package{exe_dir, source_dir};
  run_until_first_problem(package_checks(package, Stage::content));
  const fs::Path payload_dir = fs::join(exe_dir, verify::kPayloadFolderName);

  // An existing target is never touched: either it is this installation already, or it is refused.
  if (fs::exists(target_dir)) {
    if (is_current_installation(target_dir, payload_dir)) return;
    throw Error("Destination exists and will not be overwritten");
  }

  // Settings that could not be written are refused now, not after the whole tree was copied.
  check_editor_folders(target_dir);

  // The staging folder beside such a target would lie inside the trees it is copied from: the copy would
  // never end, and the package's original software would be written to. The spelling gives a quick answer;
  // the folders on disk give the sure one (links, junctions, other drive letters, short names).
  if (fs::is_within(target_dir, source_dir) || fs::lies_within_on_disk(target_dir, source_dir)) {
    throw Error("Destination inside bundled original software");
  }

  run_until_first_problem(package_checks(package, Stage::source_trees));

  // Preparing: the staging folder is a fresh sibling of the target.
  fs::create_directories(fs::parent(target_dir));
  const fs::Path staging_dir = create_staging_folder(target_dir, current_process_id());

  // Filling: everything goes into the staging folder, which nobody else uses.
  progress::start_phase(progress::Phase::copying);
  fill_staging_folder(exe_dir, source_dir, payload_dir, staging_dir);
  configure_editor(staging_dir, target_dir);
  create_user_folders(staging_dir);
  write_installation_marker(staging_dir);
  // Durable before visible: a power cut after the rename must not leave a marked target over partial files.
  fs::flush_tree(staging_dir);

  // Finalizing: the installation appears under the target's name complete, in one step.
  finalize_installation(staging_dir, target_dir);
  fs::flush_folder_entries(fs::parent(target_dir));
}

}  // namespace tavo::install
