#pragma once
// A folder held open. It is opened once; everything below it is then opened, created and renamed relative to
// the open folder, never by its path again and never through a link, so a folder swapped for another one (or for
// a link) after a check cannot take the place of the folder that was checked.

#include <cstdint>
#include <string_view>
#include <string>
#include <system_error>
#include <vector>

#include "common/unique_resource.hpp"
#include "fs/file_identity.hpp"
#include "fs/path.hpp"

namespace tavo::fs {

struct HeldHandleTraits {
  using type = std::intptr_t;
  static type invalid() noexcept { return -1; }
  static void close(type handle) noexcept;
};

class HeldFolder {
 public:
  HeldFolder() = default;

  // Opens the folder at `path`, through the links on the way as any program reaching that path would.
  [[nodiscard]] static std::error_code open(const Path& path, HeldFolder& folder);

  // Opens the folder `relative` below this one, one name after the other ("/" or "\\" between them), none of
  // them followed: a link on the way fails with link_met().
  [[nodiscard]] std::error_code open_folder(std::wstring_view relative, HeldFolder& folder) const;

  // Creates the new folder `name` here and holds it; an entry of any kind already there is a failure.
  [[nodiscard]] std::error_code create_folder(std::wstring_view name, HeldFolder& folder) const;

  // Whether an entry of any kind (a link included, not followed) stands here under `name`.
  [[nodiscard]] std::error_code has_entry(std::wstring_view name, bool& exists) const;

  // Renames the entry `from` here to `to` here, where `from` must be the file or folder `expected`. Nothing
  // that stands at `to` is ever replaced (that fails with std::errc::file_exists). Anything else found at `from`
  // right before the rename, or at `to` right after it, fails with std::errc::stale_file_handle (ESTALE;
  // ERROR_FILE_INVALID): the names were swapped by somebody else meanwhile.
  [[nodiscard]] std::error_code rename_entry(std::wstring_view from, std::wstring_view to,
                                             const FileIdentity& expected) const;

  // Makes this folder's entries durable (a rename or creation in it).
  [[nodiscard]] std::error_code flush_entries() const;

  [[nodiscard]] std::error_code identity(FileIdentity& identity) const;

  // The path by which the folder was reached: for messages.
  [[nodiscard]] const Path& path() const noexcept { return path_; }
  // A path that leads to this very folder for code that works by path; natively it leads through the open
  // descriptor, so a swap of the folder's own path does not redirect it.
  [[nodiscard]] Path access_path() const;

  [[nodiscard]] std::intptr_t native() const noexcept { return handle_.get(); }
  [[nodiscard]] bool is_open() const noexcept { return handle_.valid(); }

 private:
  UniqueResource<HeldHandleTraits> handle_;
  Path path_;
};

// The error of an open that met a link where none may be (ELOOP; ERROR_STOPPED_ON_SYMLINK).
[[nodiscard]] std::error_code link_met() noexcept;

}  // namespace tavo::fs

namespace tavo::fs {

namespace detail {
// The names of a relative path ("/" or "\\" between them), without empty and "." names.
std::vector<std::wstring_view> names_of(std::wstring_view relative);
}  // namespace detail

// Holds the folder at `path`, or else its nearest existing ancestor, into `nearest`, reached through links as a
// creation would reach it; `missing` receives the names of the folders that are not there yet, the topmost
// first. The error when no folder on the way can be opened, or when something other than a missing folder is.
[[nodiscard]] std::error_code hold_nearest_existing(const Path& path, HeldFolder& nearest,
                                                   std::vector<std::wstring>& missing);

// Creates the folders `names`, each in the one before, starting in `folder` (an existing folder is accepted,
// a link is not followed), and holds the last one in `folder`.
[[nodiscard]] std::error_code create_held_folders(HeldFolder& folder, const std::vector<std::wstring>& names);

}  // namespace tavo::fs
