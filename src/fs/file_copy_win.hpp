#pragma once
// The file copy shared by copy_file and copy_tree on Windows: from the source's own handle, which denies
// writers while it is open, to a new plain file.

#include <system_error>

#include "sys/calls_win.hpp"

#include "fs/file_identity.hpp"

namespace tavo::fs::win_copy {

// Opens the source file at `path` for a copy: its content, others may read but not write or delete it while
// it is open, and a link (by its reparse tag) is not followed but fails with link_met().
std::error_code open_source(const wchar_t* path, HANDLE& file) noexcept;

// Copies the unnamed data stream of the open file `in` (read from its start: freshly opened) to the new file `to` (an existing entry is a failure),
// plain and writable: no alternate data stream that no check read (a "Zone.Identifier" among them) and no
// read-only attribute come along. With `expected`, the source's fingerprint must be that one before and after
// the copy (else changed_since_hash()). A file this call created is deleted again when the copy fails.
std::error_code copy_open_file(HANDLE in, const wchar_t* to, const Fingerprint* expected) noexcept;

// open_source and copy_open_file: the file at `from` copied to the new file `to`.
std::error_code copy_file_from(const wchar_t* from, const wchar_t* to, const Fingerprint* expected) noexcept;

// The same, but whatever file stands at `to` is replaced, whole or not at all.
std::error_code copy_file_over(const wchar_t* from, const wchar_t* to, const Fingerprint* expected);

}  // namespace tavo::fs::win_copy
