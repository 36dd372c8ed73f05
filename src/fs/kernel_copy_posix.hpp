#pragma once
// The file copy shared by copy_file and copy_tree on POSIX: the kernel moves the bytes, no user-space loop.

#include <system_error>

#include "fs/file_identity.hpp"

namespace tavo::fs::posix_copy {

// Copies the regular file `from_name` (relative to the folder descriptor `from_dir`, or AT_FDCWD) to the new
// file `to_name` relative to `to_dir`, which must not exist yet (O_EXCL: an existing entry, a link included, is
// a failure). The permission bits go with the content, plus the owner's write bit. A destination file this call created
// is removed again when the copy fails, as a half-written copy is no copy. Returns the error of the failing step,
// empty on success. extra_open_flags go to the opening of the source (O_NOFOLLOW: a link there fails with ELOOP).
// With `expected`, the source's fingerprint on the opened descriptor must be that one, before and after the
// copy; otherwise the copy fails with changed_since_hash().
std::error_code copy_to_new_file(int from_dir, const char* from_name, int to_dir, const char* to_name,
                                 int extra_open_flags = 0, const Fingerprint* expected = nullptr) noexcept;

}  // namespace tavo::fs::posix_copy
