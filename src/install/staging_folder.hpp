#pragma once

#include <cstdint>

#include <string>

#include "fs/held_folder.hpp"
#include "fs/path.hpp"

namespace tavo::install {

// How many staging names a run tries: "<target>.vorbereitung-<pid>", then "-2", "-3", ...
inline constexpr unsigned kStagingNames = 100;

// "<target>.vorbereitung-<pid>", and from the second try on "<target>.vorbereitung-<pid>-<try>": a sibling of
// the target, so the final rename stays on one volume.
fs::Path staging_folder(const fs::Path& target_dir, std::uint32_t process_id, unsigned attempt = 1);

// The staging folder of a run, held from its creation to the final rename.
struct StagingFolder {
  fs::HeldFolder folder;
  std::wstring name;  // in the target's parent
};

// Creates the first staging folder whose name is free in the held parent of the target (whose name there is
// `target_name`), relative to `parent` and never by path, and holds it. Whatever stands at a taken name (the
// leftover of a crashed run whose process id came round again) is left alone. Raises Error "Temporary
// installation folder already exists" when every name is taken, FileSystemError "create_directory" when the
// folder cannot be made.
StagingFolder create_staging_folder(const fs::HeldFolder& parent, std::wstring_view target_name,
                                    std::uint32_t process_id);

}  // namespace tavo::install
