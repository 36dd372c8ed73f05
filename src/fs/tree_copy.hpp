#pragma once

#include <string>
#include <string_view>

#include "fs/file_identity.hpp"
#include "fs/held_folder.hpp"
#include "fs/path.hpp"

namespace tavo::fs {

// Copies the folder tree `from` to `to` (both taken in their long-path form): folders are created (an
// existing folder is accepted), files are copied writable and never overwrite. A link is never followed: met
// during the copy (put there after refuse_linked_tree ran), it raises Error "Linked source folders are
// unsupported" at the root and "Linked source files are unsupported" below it. Any other failure ends the
// copy, leaving what was copied, and raises FileSystemError "copy" with the error of the failing step and both
// roots in long-path form.
void copy_tree(const Path& from, const Path& to);

// What a copy holds its files against: the fingerprints that their hashes took (null: nothing was hashed), the
// copied tree's place in the package ("Originalsoftware/App"), and the message when a hashed file is no longer
// the file, or no longer has the content, that was hashed.
struct HashedSource {
  const HashedFiles* hashed = nullptr;
  std::wstring place;
  const char* changed = nullptr;
};

// Copies the tree below the held folder `from` into the new folder `name` of the held folder `to`, as the
// path form above does but never by path: every entry is opened relative to its held parent, and a link
// anywhere raises Error "Linked source files are unsupported". A file that `source` lists is copied from its
// own handle only while its fingerprint is the one taken at its hash, checked before and after the copy:
// otherwise Error(source.changed). Failures raise FileSystemError "copy" with both folders' paths.
void copy_tree(const HeldFolder& from, const HeldFolder& to, std::wstring_view name, const HashedSource& source);

// Copies the file `from_name` of the held folder `from` (not followed: a link raises Error "Linked source files
// are unsupported") to `to_name` in the held folder `to`, held against `source` as copy_tree does (its place
// there is source.place + "/" + from_name). With `overwrite` an existing file is replaced whole, else it is a
// failure. Raises FileSystemError "copy_file" with both paths.
void copy_file(const HeldFolder& from, std::wstring_view from_name, const HeldFolder& to, std::wstring_view to_name,
               bool overwrite, const HashedSource& source);

}  // namespace tavo::fs
