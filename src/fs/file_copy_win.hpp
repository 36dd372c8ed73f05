#pragma once
// The file copy shared by copy_file and copy_tree on Windows.

#include <system_error>

#include "sys/calls_win.hpp"

namespace tavo::fs::win_copy {

// CopyFileW (as CopyFileExW, which reports its progress), then the copy made writable: a package from a CD or
// a read-only archive brings the read-only attribute along, and the setup itself writes some of its copies
// (the patched DLL, tset.ini), as the editor does later. Returns the error of the failing step, empty on success.
std::error_code copy_writable_file(const wchar_t* from, const wchar_t* to, bool fail_if_exists) noexcept;

}  // namespace tavo::fs::win_copy
