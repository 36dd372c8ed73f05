#pragma once

#include "fs/held_folder.hpp"
#include "fs/path.hpp"

namespace tavo::fs {

// Whether the folder `path` (which need not exist yet) is `folder` itself or lies below it on disk. Judged by
// the identity of folders (device and inode; volume serial number and file index), not by spelling: the
// nearest existing ancestor of `path` is opened as a creation would reach it, through every link, junction,
// mapped or substituted drive, 8.3 name, "\\?\" prefix and case, and compared with `folder` and the folders
// above or below it. Both paths in absolute normal form. Only reads; anything that cannot be opened or listed
// is taken as not within (whatever would be written there fails anyway).
[[nodiscard]] bool lies_within_on_disk(const Path& path, const Path& folder);

// Whether the held folder `folder` is `tree` itself or lies below it on disk, judged on the handles: by the
// identity of `folder` and its parents, and of every folder of `tree` (found by listing it, links not entered), so
// that a folder mounted or linked in from inside `tree` is found too. Anything that cannot be opened or listed
// is taken as not within.
[[nodiscard]] bool lies_within_on_disk(const HeldFolder& folder, const HeldFolder& tree);

}  // namespace tavo::fs
