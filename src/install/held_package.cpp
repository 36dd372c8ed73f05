#include "install/held_package.hpp"

#include "common/error.hpp"
#include "common/system_error.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/link_check_messages.hpp"
#include "verify/package_layout.hpp"

namespace tavo::install {

HeldPackage::HeldPackage(const fs::Path& root) {
  if (const std::error_code error = fs::HeldFolder::open(root, root_)) throw fs::FileSystemError("open", error, root);
}

const fs::HeldFolder& HeldPackage::held(const fs::HeldFolder& parent, const std::wstring& key, const wchar_t* name,
                                        const char* missing) {
  const auto found = folders_.find(key);
  if (found != folders_.end()) return found->second;
  fs::HeldFolder folder;
  if (const std::error_code error = parent.open_folder(name, folder)) {
    if (error == fs::link_met()) throw Error(fs::link_check::linked_root);
    // Anything else in the way (a file of that name, no access) is met as the folder's absence.
    throw Error(missing);
  }
  return folders_.emplace(key, std::move(folder)).first->second;
}

const fs::HeldFolder& HeldPackage::source(const char* missing) {
  return held(root_, verify::kSourceFolderName, verify::kSourceFolderName, missing);
}

const fs::HeldFolder& HeldPackage::payload(const char* missing) {
  return held(root_, verify::kPayloadFolderName, verify::kPayloadFolderName, missing);
}

const fs::HeldFolder& HeldPackage::tree(const wchar_t* name) {
  const fs::HeldFolder& software = source(fs::link_check::linked_root);
  return held(software, std::wstring(verify::kSourceFolderName) + L"/" + name, name, fs::link_check::linked_root);
}

bool HeldPackage::has_tree(const wchar_t* name) {
  bool exists = false;
  const fs::HeldFolder& software = source(fs::link_check::linked_root);
  if (const std::error_code error = software.has_entry(name, exists)) {
    throw fs::FileSystemError("status", error, fs::join(software.path(), name));
  }
  return exists;
}

}  // namespace tavo::install
