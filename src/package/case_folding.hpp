#pragma once
// Names as Windows compares them in a folder: without regard to letter case. Two names of a package with the
// same key are one file on a customer's disk.

#include <string>
#include <string_view>

namespace tavo::package {

// The name upper-cased letter by letter without a language's rules (Windows: the invariant upper case, as
// NTFS's own table has it; elsewhere the C library's Unicode upper case).
std::wstring windows_case_key(std::wstring_view name);

}  // namespace tavo::package
