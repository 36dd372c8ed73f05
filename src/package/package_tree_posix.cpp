#include "sys/calls_posix.hpp"

#include <cerrno>
#include <string>

#include "common/system_error.hpp"
#include "common/utf8.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/folder_walk_posix.hpp"
#include "fs/path_forms.hpp"
#include "package/package_tree.hpp"

namespace tavo::package {
namespace {

EntryKind kind_of(mode_t mode) noexcept {
  if (S_ISLNK(mode)) return EntryKind::link;
  if (S_ISDIR(mode)) return EntryKind::folder;
  if (S_ISREG(mode)) return EntryKind::file;
  return EntryKind::other;
}

class ListingVisitor {
 public:
  ListingVisitor(const fs::Path& root, std::vector<TreeEntry>& entries) : root_(root), entries_(entries) {}

  bool visit(int dir, const dirent& entry) {
    const std::string path = prefix_ + entry.d_name;
    struct stat status {};
    if (sys::fstatat(dir, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
      throw fs::FileSystemError("status", last_system_error(), fs::join(root_, wide_from_utf8(path)));
    }
    const EntryKind kind = kind_of(status.st_mode);
    entries_.push_back({wide_from_utf8(path), kind});
    if (kind != EntryKind::folder) return false;
    prefix_lengths_.push_back(prefix_.size());
    prefix_ = path + '/';
    return true;
  }

  void leave() {
    prefix_.resize(prefix_lengths_.back());
    prefix_lengths_.pop_back();
  }

  [[noreturn]] void fail(int error) const { throw fs::FileSystemError("list", system_error_code(error), root_); }

 private:
  const fs::Path& root_;
  std::vector<TreeEntry>& entries_;
  std::string prefix_;
  std::vector<std::size_t> prefix_lengths_;
};

}  // namespace

std::vector<TreeEntry> list_tree(const fs::Path& root) {
  const fs::Path r = fs::long_path_form(root);
  posix::UniqueDir listing = fs::posix_walk::open_folder(AT_FDCWD, utf8_from_wide(r.text()).c_str(), 0);
  if (!listing) throw fs::FileSystemError("list", last_system_error(), r);
  std::vector<TreeEntry> entries;
  ListingVisitor visitor(r, entries);
  // O_NOFOLLOW: a folder that became a link after its test is not entered.
  fs::posix_walk::walk(std::move(listing), visitor, O_NOFOLLOW);
  return entries;
}

}  // namespace tavo::package
