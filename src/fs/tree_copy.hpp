#pragma once

#include "fs/path.hpp"

namespace tavo::fs {

// Copies the folder tree `from` to `to` (both taken in their long-path form): folders are created (an
// existing folder is accepted), files are copied writable and never overwrite. A link is never followed: met
// during the copy (put there after refuse_linked_tree ran), it raises Error "Linked source folders are
// unsupported" at the root and "Linked source files are unsupported" below it. Any other failure ends the
// copy, leaving what was copied, and raises FileSystemError "copy" with the error of the failing step and both
// roots in long-path form.
void copy_tree(const Path& from, const Path& to);

}  // namespace tavo::fs
