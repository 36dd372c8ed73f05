#pragma once
// Platform halves of the folder operations in file_operations.cpp.

#include "fs/path.hpp"

namespace tavo::fs::detail {

// Creates one folder; 0 or the system's error code.
int make_directory(const Path& path) noexcept;

// Whether the path names a folder, following links.
bool is_directory(const Path& path) noexcept;

// The error codes for "a folder on the way is missing" (narrower than fs::is_not_found_error: a file in the
// way is no reason to create the parent) and "the entry already exists".
bool is_missing_parent_error(int code) noexcept;
bool is_already_exists_error(int code) noexcept;
int not_found_error() noexcept;

}  // namespace tavo::fs::detail
