#pragma once

#include <string>
#include <system_error>
#include <vector>

#include "common/error.hpp"
#include "common/system_error.hpp"
#include "fs/path.hpp"

namespace tavo::fs {

// The failure of a file-system operation: the operation's name, the system's error code and up to two paths.
// Its text reads: operation: system description[: "path1"[, "path2"]]
class FileSystemError : public Error {
 public:
  FileSystemError(std::string operation, std::error_code code);
  FileSystemError(std::string operation, std::error_code code, const Path& path1);
  FileSystemError(std::string operation, std::error_code code, const Path& path1, const Path& path2);

  [[nodiscard]] const std::string& operation() const noexcept { return operation_; }
  [[nodiscard]] const std::error_code& code() const noexcept { return code_; }
  [[nodiscard]] const std::vector<Path>& paths() const noexcept { return paths_; }

 private:
  FileSystemError(std::string operation, std::error_code code, std::vector<Path> paths);

  std::string operation_;
  std::error_code code_;
  std::vector<Path> paths_;
};

// The message text of a file-system error from its already narrow parts.
std::string compose_filesystem_message(const std::string& operation, const std::string& description,
                                       const std::vector<std::string>& narrow_paths);

// A path as narrow text for messages: the ANSI code page on Windows (unmappable characters become its
// default character), UTF-8 on POSIX.
std::string narrow_for_message(const Path& path);

}  // namespace tavo::fs
