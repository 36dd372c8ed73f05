#pragma once
// The package as the setup reads it: its folders opened once, at the first check that reads them, and held to
// the end, so that the checks, the link checks and the copies all read the very folders that were checked; and
// the fingerprints of the files that the checks hashed, which the copies hold the files to.

#include <map>
#include <string>

#include "fs/file_identity.hpp"
#include "fs/held_folder.hpp"
#include "fs/path.hpp"

namespace tavo::install {

class HeldPackage {
 public:
  // Opens the package folder (the setup program's own); raises FileSystemError "open" when it cannot.
  explicit HeldPackage(const fs::Path& root);

  [[nodiscard]] const fs::HeldFolder& root() const noexcept { return root_; }

  // "Originalsoftware" and "Dateien", never through a link: a link raises Error "Linked source folders are
  // unsupported", a folder that is not there raises Error(missing).
  [[nodiscard]] const fs::HeldFolder& source(const char* missing);
  [[nodiscard]] const fs::HeldFolder& payload(const char* missing);

  // A tree of the original software ("App", "Tavo", "Presets"), opened below the held "Originalsoftware" like
  // the link check takes it: missing or linked, it raises Error "Linked source folders are unsupported".
  [[nodiscard]] const fs::HeldFolder& tree(const wchar_t* name);
  // Whether the original software has an entry of that name (links not followed).
  [[nodiscard]] bool has_tree(const wchar_t* name);

  [[nodiscard]] fs::HashedFiles& hashed() noexcept { return hashed_; }

 private:
  const fs::HeldFolder& held(const fs::HeldFolder& parent, const std::wstring& key, const wchar_t* name,
                             const char* missing);

  fs::HeldFolder root_;
  std::map<std::wstring, fs::HeldFolder> folders_;  // by their place in the package
  fs::HashedFiles hashed_;
};

}  // namespace tavo::install
