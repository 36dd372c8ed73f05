#pragma once

#include <stdexcept>
#include <string>

namespace tavo::package {

// A failure of the package tool itself (not a problem of the package), such as an archive that cannot be
// written. Caught where the tool's run is caught.
class PackageError : public std::runtime_error {
 public:
  explicit PackageError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace tavo::package
