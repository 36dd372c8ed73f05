#pragma once
// Single-step file-system operations of the installation. Paths are passed as plain joined forms.

#include "fs/path.hpp"

namespace tavo::fs {

// Creates one folder. Any failure raises FileSystemError "create_directory", an existing entry included.
void create_directory(const Path& path);

// Creates one folder and returns true; false when an entry (of any kind) already stands at the path. Any other
// failure raises FileSystemError "create_directory".
bool create_new_directory(const Path& path);

// Creates the folder and every missing ancestor; an existing folder is no failure. An empty path, a file in
// the way or a failed creation raises FileSystemError "create_directories" with the path.
void create_directories(const Path& path);

// Copies one file's content (and its permission bits). Without overwrite an existing destination is a
// failure; with overwrite it is replaced. Raises FileSystemError "copy_file" with both paths.
void copy_file(const Path& from, const Path& to, bool overwrite);

// Renames a file or folder; nothing that exists at `to` is ever replaced (that fails with the platform's
// "already exists" code). Returns 0 or the system's error code.
int rename_without_replace(const Path& from, const Path& to) noexcept;

// Whether a rename failure may pass by itself (another process briefly holds the folder): access denied and
// sharing violation on Windows, EBUSY on POSIX.
bool is_transient_rename_error(int code) noexcept;

}  // namespace tavo::fs
