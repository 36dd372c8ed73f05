#include "sys/calls_posix.hpp"

#include <cerrno>
#include <vector>

#include "common/system_error.hpp"
#include "common/error.hpp"
#include "common/utf8.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/folder_walk_posix.hpp"
#include "fs/kernel_copy_posix.hpp"
#include "fs/link_check_messages.hpp"
#include "fs/path_forms.hpp"
#include "fs/tree_copy.hpp"

namespace tavo::fs {
namespace {

// Every source entry is opened relative to the folder that listed it and without following a link
// (O_NOFOLLOW), so an entry swapped for a link after the link check fails with ELOOP instead of leading out
// of the tree: there is no moment in which a link is followed.
constexpr int kNoFollow = O_NOFOLLOW;

// Creates the folder `name` in `dir` (an existing folder is accepted) and opens it into `folder`; a link there
// is refused.
std::error_code make_folder(int dir, const char* name, posix::UniqueFd& folder) noexcept {
  if (sys::mkdirat(dir, name, 0777) != 0 && errno != EEXIST) return last_system_error();
  folder.reset(sys::openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  return folder ? std::error_code() : last_system_error();
}

// The entry's own kind into `type`, links not followed; the listing's type saves a stat call.
std::error_code own_type(int dir, const dirent& entry, mode_t& type) noexcept {
  switch (entry.d_type) {
    case DT_DIR:
      type = S_IFDIR;
      return {};
    case DT_REG:
      type = S_IFREG;
      return {};
    case DT_LNK:
      type = S_IFLNK;
      return {};
    default:
      break;
  }
  struct stat status {};
  if (sys::fstatat(dir, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) return last_system_error();
  type = status.st_mode & S_IFMT;
  return {};
}

class CopyingVisitor {
 public:
  CopyingVisitor(posix::UniqueFd destination_root, const Path& from, const Path& to, const HashedSource* source = nullptr)
      : from_(from), to_(to), source_(source != nullptr && source->hashed != nullptr ? source : nullptr) {
    destinations_.push_back(std::move(destination_root));
    if (source_ != nullptr) places_.push_back(source_->place);
  }

  bool visit(int source_dir, const dirent& entry) {
    const int destination_dir = destinations_.back().get();
    mode_t type = 0;
    if (const std::error_code error = own_type(source_dir, entry, type)) fail(error);
    if (type == S_IFLNK) throw Error(link_check::linked_entry);
    if (type == S_IFDIR) {
      posix::UniqueFd folder;
      if (const std::error_code error = make_folder(destination_dir, entry.d_name, folder)) fail(error);
      destinations_.push_back(std::move(folder));
      if (source_ != nullptr) places_.push_back(place_of(entry));
      return true;  // the walk opens it with O_NOFOLLOW
    }
    // A hashed file is copied only as it was hashed.
    const Fingerprint* expected = source_ != nullptr ? source_->hashed->find(place_of(entry)) : nullptr;
    // Neither folder nor file (a FIFO, a device): the file copy refuses it rather than block or read forever.
    if (const std::error_code error = posix_copy::copy_to_new_file(source_dir, entry.d_name, destination_dir,
                                                                   entry.d_name, kNoFollow, expected)) {
      fail(error);
    }
    return false;
  }

  void leave() noexcept {
    destinations_.pop_back();
    if (source_ != nullptr) places_.pop_back();
  }

  // ELOOP: the entry was swapped for a link between its listing and its opening.
  [[noreturn]] void fail(const std::error_code& error) const {
    if (error == std::errc::too_many_symbolic_link_levels) throw Error(link_check::linked_entry);
    if (error == changed_since_hash() && source_ != nullptr) throw Error(source_->changed);
    throw FileSystemError("copy", error, from_, to_);
  }

 private:
  std::wstring place_of(const dirent& entry) const { return places_.back() + L"/" + wide_from_utf8(entry.d_name); }

  const Path& from_;
  const Path& to_;
  const HashedSource* source_;
  std::vector<posix::UniqueFd> destinations_;
  std::vector<std::wstring> places_;  // of the folders being copied, in the package
};

// A descriptor of its own on the held folder, for a listing that closes it.
std::error_code listing_of(const HeldFolder& folder, posix::UniqueDir& listing) {
  return posix_walk::open_folder(static_cast<int>(folder.native()), ".", 0, listing);
}

}  // namespace

void copy_tree(const Path& from, const Path& to) {
  const Path f = long_path_form(from);
  const Path t = long_path_form(to);
  // Without trailing separators: O_NOFOLLOW would follow a link named "link/".
  const std::string source = utf8_from_wide(without_trailing_separators(f).text());
  const std::string destination = utf8_from_wide(t.text());
  auto fail = [&f, &t](const std::error_code& error) {
    if (error == std::errc::too_many_symbolic_link_levels) throw Error(link_check::linked_root);
    throw FileSystemError("copy", error, f, t);
  };

  struct stat status {};
  if (sys::lstat(source.c_str(), &status) != 0) fail(last_system_error());
  if (S_ISLNK(status.st_mode)) throw Error(link_check::linked_root);
  if (!S_ISDIR(status.st_mode)) {
    if (const std::error_code error =
            posix_copy::copy_to_new_file(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), kNoFollow)) {
      fail(error);
    }
    return;
  }
  posix::UniqueFd destination_root;
  if (const std::error_code error = make_folder(AT_FDCWD, destination.c_str(), destination_root)) fail(error);
  posix::UniqueDir listing;
  if (const std::error_code error = posix_walk::open_folder(AT_FDCWD, source.c_str(), kNoFollow, listing)) {
    fail(error);
  }
  CopyingVisitor visitor(std::move(destination_root), f, t);
  posix_walk::walk(std::move(listing), visitor, kNoFollow);
}

void copy_tree(const HeldFolder& from, const HeldFolder& to, std::wstring_view name, const HashedSource& source) {
  const Path destination = join(to.path(), name);
  auto fail = [&](const std::error_code& error) { throw FileSystemError("copy", error, from.path(), destination); };
  HeldFolder made;
  if (const std::error_code error = to.create_folder(name, made)) fail(error);
  posix::UniqueFd destination_root(sys::openat(static_cast<int>(made.native()), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!destination_root) fail(last_system_error());
  posix::UniqueDir listing;
  if (const std::error_code error = listing_of(from, listing)) fail(error);
  CopyingVisitor visitor(std::move(destination_root), from.path(), destination, &source);
  posix_walk::walk(std::move(listing), visitor, kNoFollow);
}

void copy_file(const HeldFolder& from, std::wstring_view from_name, const HeldFolder& to, std::wstring_view to_name,
               bool overwrite, const HashedSource& source) {
  const Path from_path = join(from.path(), from_name);
  const Path to_path = join(to.path(), to_name);
  const std::string in_name = utf8_from_wide(std::wstring(from_name));
  const std::string out_name = utf8_from_wide(std::wstring(to_name));
  const Fingerprint* expected =
      source.hashed != nullptr ? source.hashed->find(source.place + L"/" + std::wstring(from_name)) : nullptr;
  // Overwriting writes the new file beside the old one and renames it over it: replaced whole or not at all.
  const std::string written = overwrite ? ".tavo-copy-" + std::to_string(sys::getpid()) + "-" + out_name : out_name;
  const int from_dir = static_cast<int>(from.native());
  const int to_dir = static_cast<int>(to.native());
  std::error_code error =
      posix_copy::copy_to_new_file(from_dir, in_name.c_str(), to_dir, written.c_str(), kNoFollow, expected);
  if (!error && overwrite && sys::renameat(to_dir, written.c_str(), to_dir, out_name.c_str()) != 0) {
    error = last_system_error();
    sys::unlinkat(to_dir, written.c_str(), 0);
  }
  if (error == std::errc::too_many_symbolic_link_levels) throw Error(link_check::linked_entry);
  if (error == changed_since_hash() && source.changed != nullptr) throw Error(source.changed);
  if (error) throw FileSystemError("copy_file", error, from_path, to_path);
}

}  // namespace tavo::fs
