#pragma once
// What lies below a folder, entry by entry, as the package tool lists and archives it.

#include <string>
#include <vector>

#include "fs/path.hpp"

namespace tavo::fs {

// What an entry is itself: a link is not followed; on Windows every reparse point but one with a data tag
// (fs/reparse_tags.hpp) counts as a link.
enum class EntryKind { file, folder, link, other };

// One entry below a listed folder: its path relative to that folder, components joined by "/", and its kind.
struct TreeEntry {
  std::wstring path;
  EntryKind kind;
};

// Every entry below `root`, depth first, a folder before its contents; links are listed but not entered.
// The root is walked in its long-path form, so depth is no limit. Raises FileSystemError "list" when the root
// or a folder below it cannot be listed, "status" when an entry's kind cannot be read.
[[nodiscard]] std::vector<TreeEntry> list_tree(const Path& root);

}  // namespace tavo::fs
