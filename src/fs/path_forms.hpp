#pragma once

#include "fs/path.hpp"

namespace tavo::fs {

// The folder that holds the running program file. Raises Error "Executable path unavailable".
[[nodiscard]] Path executable_directory();

// The path made absolute against the current directory (empty stays empty). Raises FileSystemError "absolute".
[[nodiscard]] Path absolute(const Path& path);

// absolute(), then lexically_normal(). Raises FileSystemError "absolute".
[[nodiscard]] Path absolute_normal_form(const Path& path);

// The form in which trees are walked and files are read: on Windows the extended-length form of the
// absolute normal form; on POSIX the absolute normal form itself. Raises FileSystemError "absolute".
[[nodiscard]] Path long_path_form(const Path& path);

}  // namespace tavo::fs
