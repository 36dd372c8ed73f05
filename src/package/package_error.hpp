#pragma once

#include <string>
#include <utility>

#include "common/error.hpp"

namespace tavo::package {

// A failure of the package tool itself (not a problem of the package), such as an archive that cannot be
// written. One of the program's errors: caught where the tool's run is caught.
class PackageError : public Error {
 public:
  explicit PackageError(const std::string& message) : Error(message) {}
  PackageError(const char* message, std::string reason) : Error(message, std::move(reason)) {}
};

}  // namespace tavo::package
