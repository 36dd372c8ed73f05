#include "fs/filesystem_error.hpp"

namespace tavo::fs {
namespace {

std::vector<std::string> narrow_all(const std::vector<Path>& paths) {
  std::vector<std::string> out;
  out.reserve(paths.size());
  for (const Path& p : paths) out.push_back(narrow_for_message(p));
  return out;
}

}  // namespace

FileSystemError::FileSystemError(std::string operation, std::error_code code, std::vector<Path> paths)
    : Error(compose_filesystem_message(operation, code.message(), narrow_all(paths))),
      operation_(std::move(operation)),
      code_(code),
      paths_(std::move(paths)) {}

FileSystemError::FileSystemError(std::string operation, std::error_code code)
    : FileSystemError(std::move(operation), code, std::vector<Path>{}) {}

FileSystemError::FileSystemError(std::string operation, std::error_code code, const Path& path1)
    : FileSystemError(std::move(operation), code, std::vector<Path>{path1}) {}

FileSystemError::FileSystemError(std::string operation, std::error_code code, const Path& path1,
                                 const Path& path2)
    : FileSystemError(std::move(operation), code, std::vector<Path>{path1, path2}) {}

std::string compose_filesystem_message(const std::string& operation, const std::string& description,
                                       const std::vector<std::string>& narrow_paths) {
  std::string text = operation + ": " + description;
  for (std::size_t i = 0; i < narrow_paths.size(); ++i) {
    text += i == 0 ? ": \"" : ", \"";
    text += narrow_paths[i];
    text += '"';
  }
  return text;
}

}  // namespace tavo::fs
