#include <string>

#include "common/system_error.hpp"
#include "common/utf8.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/folder_walk_posix.hpp"
#include "fs/path_forms.hpp"
#include "fs/tree_listing.hpp"

namespace tavo::fs {
namespace {

class ListingVisitor {
 public:
  ListingVisitor(const Path& root, std::vector<TreeEntry>& entries) : root_(root), entries_(entries) {}

  bool visit(int dir, const dirent& entry) {
    const std::string path = prefix_ + entry.d_name;
    EntryKind kind = EntryKind::other;
    if (const std::error_code error = posix_walk::entry_kind_at(dir, entry.d_name, kind)) {
      throw FileSystemError("status", error, join(root_, wide_from_utf8(path)));
    }
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

  [[noreturn]] void fail(const std::error_code& error) const { throw FileSystemError("list", error, root_); }

 private:
  const Path& root_;
  std::vector<TreeEntry>& entries_;
  std::string prefix_;
  std::vector<std::size_t> prefix_lengths_;
};

}  // namespace

std::vector<TreeEntry> list_tree(const Path& root) {
  const Path r = long_path_form(root);
  posix::UniqueDir listing;
  if (const std::error_code error = posix_walk::open_folder(AT_FDCWD, utf8_from_wide(r.text()).c_str(), 0, listing)) {
    throw FileSystemError("list", error, r);
  }
  std::vector<TreeEntry> entries;
  ListingVisitor visitor(r, entries);
  // O_NOFOLLOW: a folder that became a link after its test is not entered.
  posix_walk::walk(std::move(listing), visitor, O_NOFOLLOW);
  return entries;
}

}  // namespace tavo::fs
