#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "fs/path.hpp"

namespace tavo::fs {

// The failure of a file-system operation: the operation's name, the system's error code and up to two paths.
// Its text reads: operation: system description[: "path1"[, "path2"]]
class FileSystemError : public std::runtime_error {
 public:
  FileSystemError(std::string operation, int code);
  FileSystemError(std::string operation, int code, const Path& path1);
  FileSystemError(std::string operation, int code, const Path& path1, const Path& path2);

  const std::string& operation() const noexcept { return operation_; }
  int code() const noexcept { return code_; }
  const std::vector<Path>& paths() const noexcept { return paths_; }

 private:
  FileSystemError(std::string operation, int code, std::vector<Path> paths);

  std::string operation_;
  int code_;
  std::vector<Path> paths_;
};

// The message text of a file-system error from its already narrow parts.
std::string compose_filesystem_message(const std::string& operation, const std::string& description,
                                       const std::vector<std::string>& narrow_paths);

// The platform's description of an error code (FormatMessageW on Windows, strerror on POSIX), one line.
std::string system_error_description(int code);

// A path as narrow text for messages: the ANSI code page on Windows (unmappable characters become its
// default character), UTF-8 on POSIX.
std::string narrow_for_message(const Path& path);

// The calling thread's last system error code (GetLastError, errno).
int last_system_error() noexcept;

}  // namespace tavo::fs
