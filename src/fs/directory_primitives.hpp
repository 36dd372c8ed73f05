#pragma once
// Platform halves of the folder operations in file_operations.cpp.

#include "fs/path.hpp"

namespace tavo::fs::detail {

// Creates one folder; 0 or the system's error code.
int make_directory(const Path& path) noexcept;

// Whether the path names a folder, following links.
bool is_directory(const Path& path) noexcept;

// The error codes for "a component of the path is missing" and "the entry already exists".
bool is_not_found_error(int code) noexcept;
bool is_already_exists_error(int code) noexcept;
int not_found_error() noexcept;

}  // namespace tavo::fs::detail
