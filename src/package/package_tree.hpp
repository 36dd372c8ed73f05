#pragma once

#include <string>
#include <vector>

#include "fs/path.hpp"

namespace tavo::package {

enum class EntryKind { file, folder, link, other };

// One entry below a listed folder: its path relative to that folder, components joined by "/", and what the
// entry itself is (a link is not followed; on Windows every reparse point counts as a link).
struct TreeEntry {
  std::wstring path;
  EntryKind kind;
};

// Every entry below `root`, depth first, a folder before its contents; links are listed but not entered.
// The root is walked in its long-path form, so depth is no limit. Raises FileSystemError "list" when the root
// or a folder below it cannot be listed.
std::vector<TreeEntry> list_tree(const fs::Path& root);

}  // namespace tavo::package
