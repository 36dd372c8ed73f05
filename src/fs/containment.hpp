#pragma once

#include <system_error>

#include "fs/held_folder.hpp"
#include "fs/path.hpp"

namespace tavo::fs {

// Whether the held folder `folder` is `tree` itself or lies below it on disk. Judged by the identity of folders
// (device and inode; volume serial number and 128-bit file id), not by spelling: `folder` was reached through
// every link, junction, mapped or substituted drive, 8.3 name, "\\?\" prefix and case on its way, and it is
// compared with `tree` and its parents (natively, up through "..") and with every folder of `tree` (found by
// listing it, links not entered), so that a folder mounted or linked in from inside `tree` is found too. Only
// reads; anything that cannot be opened or listed is taken as not within (whatever would be written there
// fails anyway).
[[nodiscard]] bool lies_within_on_disk(const HeldFolder& folder, const HeldFolder& tree);

// The same judgement where an answer must not rest on a guess: anything on the way that cannot be opened,
// read or listed is an error, and `within` is then not set.
[[nodiscard]] std::error_code lies_within_on_disk(const HeldFolder& folder, const HeldFolder& tree, bool& within);

namespace detail {
// The platform's search. Strict, the first failure on the way ends it and is returned; else only what could be
// searched counts. `within` says what was found, also before a failure.
std::error_code search_on_disk(const HeldFolder& folder, const HeldFolder& tree, bool strict, bool& within);
}  // namespace detail

}  // namespace tavo::fs
