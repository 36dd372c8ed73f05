#pragma once

#include "fs/path.hpp"

namespace tavo::fs {

// Copies the folder tree `from` to `to` (both taken in their long-path form): folders are created (an
// existing folder is accepted), files are copied and never overwrite. Links are followed; refuse_linked_tree
// keeps them out beforehand. The first failure ends the copy, leaving what was copied, and raises
// FileSystemError "copy" with the error of the failing step and both roots in long-path form.
void copy_tree(const Path& from, const Path& to);

}  // namespace tavo::fs
