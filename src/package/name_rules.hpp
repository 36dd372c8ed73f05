#pragma once

#include <string>
#include <string_view>

#include "fs/tree_listing.hpp"

namespace tavo::package {

// The path as UTF-8, the encoding of manifests, messages and archive names. Raises PackageError "The name
// cannot be written in UTF-8" when it holds something that has no UTF-8 form (a POSIX name that is not
// UTF-8, a lone surrogate of a Windows name).
std::string utf8_name(std::wstring_view path);

// Raises PackageError when a file at this relative path cannot be a line of a software manifest as the setup
// reads it: a line break in the name, no UTF-8 form, a backslash inside a name (the setup reads it as a
// separator), or a path that the setup refuses ("Invalid software path").
void refuse_unlistable_path(std::wstring_view path);

// Raises PackageError for a link ("Links are not allowed in a setup package") or an entry that is neither
// a file nor a folder.
void refuse_entry_kind(const fs::TreeEntry& entry);

// Raises PackageError "Windows cannot hold this name" when a component of the path cannot be a file name on
// Windows: control characters, < > : " / \ | ? *, a dot or blank at its end, or a device name (CON, NUL, COM1,
// ...) with or without an extension.
void refuse_windows_unfit_path(std::wstring_view path);

}  // namespace tavo::package
