#include "sys/calls_win.hpp"
#include <knownfolders.h>

#include "setup/documents_folder.hpp"

namespace tavo::setup {

std::optional<fs::Path> documents_folder() {
  PWSTR folder = nullptr;
  const HRESULT result = sys::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &folder);
  std::optional<fs::Path> path;
  if (SUCCEEDED(result) && folder != nullptr) path = fs::Path(folder);
  ::CoTaskMemFree(folder);  // also after a failure, as the call may have allocated
  return path;
}

}  // namespace tavo::setup
