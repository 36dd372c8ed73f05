#include "sys/calls_win.hpp"

#include "common/system_error.hpp"
#include "common/error.hpp"
#include "common/run_log.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/folder_walk_win.hpp"
#include "fs/link_check.hpp"
#include "fs/link_check_messages.hpp"
#include "fs/path_forms.hpp"
#include "fs/reparse_tags_win.hpp"

namespace tavo::fs {
namespace {

// The root without trailing separators: with one, the attributes are those of a linked folder's target. A
// drive root keeps its separator ("\\?\D:" would name the volume, not its root folder).
std::wstring root_entry(const Path& r) {
  std::wstring entry = without_trailing_separators(r).text();
  return !entry.empty() && entry.back() == L':' ? r.text() : entry;
}

}  // namespace

void refuse_linked_tree(const Path& root) {
  const Path r = long_path_form(root);
  // A link is a reparse point without a data tag; attributes or a tag that cannot be read count as one.
  DWORD root_attributes = 0;
  if (win_reparse::is_link_entry(root_entry(r).c_str(), root_attributes)) {
    run_log::note("Link check: the folder is a link, missing or unreadable: " + run_log::quoted(r.text()));
    throw Error(link_check::linked_root);
  }
  if ((root_attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    throw FileSystemError(link_check::open_walk, system_error_code(ERROR_DIRECTORY), r);
  }

  std::wstring path = r.text();
  win_walk::walk(
      path,
      [](const std::wstring& entry, const WIN32_FIND_DATAW&) {
        // The entry's own attributes (and tag), read afresh rather than taken from the listing.
        DWORD attributes = 0;
        if (win_reparse::is_link_entry(entry.c_str(), attributes)) {
          run_log::note("Link check: first link (or unreadable entry) found: " + run_log::quoted(entry));
          throw Error(link_check::linked_entry);
        }
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      },
      [&r](const std::error_code& error) { throw FileSystemError(link_check::open_walk, error, r); },
      [](const std::error_code& error) { throw FileSystemError(link_check::advance_walk, error); });
}

void refuse_linked_tree(const HeldFolder& root) {
  // The held folder keeps its path while it is held (no FILE_SHARE_DELETE), and no folder above it can be
  // renamed meanwhile: the path leads to the held folder itself.
  refuse_linked_tree(root.path());
}

}  // namespace tavo::fs
