#include "package/package_error.hpp"
#include "package/zip_archive.hpp"

namespace tavo::package {

// Releases are made where the Windows program is built: the Linux build has the archive library.
void write_zip_archive(const fs::HeldFolder&, const std::vector<fs::TreeEntry>&, const std::map<std::wstring, std::string>&,
                       const fs::Path&) {
  throw PackageError("Releases are made with the Linux build of the package tool");
}

}  // namespace tavo::package
