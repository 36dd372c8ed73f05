#pragma once
// The file copy shared by copy_file and copy_tree on Windows.

#include <system_error>

#include "sys/calls_win.hpp"

#include "fs/file_identity.hpp"

namespace tavo::fs::win_copy {

// CopyFileW (as CopyFileExW, which reports its progress), then the copy made writable: a package from a CD or
// a read-only archive brings the read-only attribute along, and the setup itself writes some of its copies
// (the patched DLL, tset.ini), as the editor does later. Returns the error of the failing step, empty on success.
std::error_code copy_writable_file(const wchar_t* from, const wchar_t* to, bool fail_if_exists) noexcept;

// Opens the source file at `path` for a copy: its content, others may read but not write or delete it while
// it is open, and a link (by its reparse tag) is not followed but fails with link_met().
std::error_code open_source(const wchar_t* path, HANDLE& file) noexcept;

// Copies the unnamed data stream of the open file `in` (read from its start: freshly opened) to the new file `to` (an existing entry is a failure),
// plain and writable: no alternate data stream that no check read (a "Zone.Identifier" among them) and no
// read-only attribute come along. With `expected`, the source's fingerprint must be that one before and after
// the copy (else changed_since_hash()). A file this call created is deleted again when the copy fails.
std::error_code copy_open_file(HANDLE in, const wchar_t* to, const Fingerprint* expected) noexcept;

}  // namespace tavo::fs::win_copy
