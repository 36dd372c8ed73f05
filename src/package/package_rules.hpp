#pragma once
// What a package needs beyond the setup's own checks so that every customer gets what the vendor checked:
// names Windows can hold and tell apart, only listed files in the original software, only the seven payload
// files, 64-bit Windows programs. Each problem names its entry.

#include <map>
#include <string>
#include <vector>

#include "fs/path.hpp"
#include "fs/tree_listing.hpp"
#include "package/problems.hpp"
#include "package/program_header.hpp"

namespace tavo::package {

// Entries of a package folder that a release leaves out: the result file of the vendor's own test run and the
// staging folders of its setups ("<name>.vorbereitung-<pid>"), with their contents.
bool is_left_out(const std::wstring& relative_path);

// Every entry below the listed folder (paths relative to it): links and entries that are neither file nor
// folder, names Windows cannot hold, and names that Windows cannot tell apart from an earlier one (the
// contents of such a folder are not reported again). `prefix` goes before each path in the problems.
void check_windows_names(const std::vector<fs::TreeEntry>& entries, const std::string& prefix, ProblemList& problems);

// The file's headers say it is a 64-bit Windows program of `kind` for x64; else a problem of `label`.
void check_program(const fs::Path& file, const std::string& label, ProgramKind kind, ProblemList& problems);

// The payload's .exe files (those present among the seven names) are 64-bit Windows programs.
void check_payload_programs(const fs::Path& payload_dir, const std::string& prefix, ProblemList& problems);

// The entries of a package as a release takes them.
struct PackageEntries {
  std::vector<fs::TreeEntry> archived;  // what a release archives
  std::vector<std::wstring> left_out;   // what it leaves out (each a top entry; its contents go with it)
  std::map<std::wstring, std::string> digests;  // by entry path: the digest its manifest line gives
};

// The whole package below `root` as it would be released (left-out entries skipped): the names, the files under
// the original software that its manifest does not list and lines listing one file twice, entries of the payload
// other than the seven files, and the programs (the setup program at the root a windowed one).
PackageEntries check_package_rules(const fs::Path& root, ProblemList& problems);

}  // namespace tavo::package
