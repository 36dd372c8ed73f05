#pragma once

#include <string>

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

// The form of `path` for the calls that take no long-path form and at most `limit` - 1 characters: a program's
// name for CreateProcessW or ShellExecuteExW, a child's current directory. The path itself when it is short
// enough; else, on Windows, its 8.3 short name when the volume keeps short names and that one is short enough;
// else the path itself, which the call then refuses like any program that cannot be started.
[[nodiscard]] Path launch_form(const Path& path, std::size_t limit);

// The text by which a file call reaches `path`: its long-path form, so that no call meets the MAX_PATH limit on a
// Windows without the LongPathsEnabled policy. An empty path stays empty (it names nothing either way).
// Raises FileSystemError "absolute".
[[nodiscard]] std::wstring system_path_text(const Path& path);

}  // namespace tavo::fs
