#pragma once
// Single-step file-system operations of the installation. Paths are passed as plain joined forms.

#include <system_error>

#include "fs/path.hpp"

namespace tavo::fs {

// Creates one folder. Any failure raises FileSystemError "create_directory", an existing entry included.
void create_directory(const Path& path);

// Creates the folder and every missing ancestor; an existing folder is no failure. An empty path, a file in
// the way or a failed creation raises FileSystemError "create_directories" with the path.
void create_directories(const Path& path);

// Copies one file's content (and its permission bits, plus the owner's write bit). Without overwrite an existing
// destination is a failure; with overwrite it is replaced. Raises FileSystemError "copy_file" with both paths.
void copy_file(const Path& from, const Path& to, bool overwrite);

// Raises what copy_file raises for a source that it cannot read because of what is (not) there, without
// copying anything: FileSystemError "copy_file" with the path when nothing is there, Error "Cannot read input
// file" when something other than a regular file is (links followed). Other failures to read the status raise
// FileSystemError "status".
void check_copy_source(const Path& from);

namespace detail {
// The platform halves of the folder operations above.
std::error_code make_directory(const Path& path);
bool is_directory(const Path& path);  // following links
std::error_code not_found_code() noexcept;
}  // namespace detail

}  // namespace tavo::fs
