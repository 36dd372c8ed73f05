#pragma once

#include "fs/path.hpp"

namespace tavo::fs {

// Returns only when neither the folder `root` nor anything below it is a link (on Windows a reparse point
// unless its tag is a data tag, fs/reparse_tags.hpp: cloud, deduplicated and compressed files are plain).
// Raises Error "Linked source folders are unsupported" for a linked, missing or unreadable root and
// "Linked source files are unsupported" for such an entry below it; FileSystemError
// "recursive_directory_iterator::recursive_directory_iterator" (with the root's long-path form) when the root
// cannot be listed, "recursive_directory_iterator::operator++" when a folder below it cannot. Only reads.
void refuse_linked_tree(const Path& root);

}  // namespace tavo::fs
