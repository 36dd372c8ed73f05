#pragma once

#include "fs/held_folder.hpp"
#include "fs/path.hpp"

namespace tavo::fs {

// Returns only when neither the folder `root` nor anything below it is a link (on Windows a reparse point
// unless its tag is a data tag, fs/reparse_tags.hpp: cloud, deduplicated and compressed files are plain).
// Raises Error "Linked source folders are unsupported" for a linked, missing or unreadable root and
// "Linked source files are unsupported" for such an entry below it; FileSystemError
// "recursive_directory_iterator::recursive_directory_iterator" (with the root's long-path form) when the root
// cannot be listed, "recursive_directory_iterator::operator++" when a folder below it cannot. Only reads.
void refuse_linked_tree(const Path& root);

// The same below a held folder (which itself is no link, being held), every entry tested relative to its held
// parent.
void refuse_linked_tree(const HeldFolder& root);

}  // namespace tavo::fs
