#pragma once
// Which reparse points are links: a folder or file that stands for another entry (symbolic link, junction,
// mount point) or whose kind is unknown is one; the data tags of files that are only stored elsewhere or
// differently (cloud files, deduplicated and compressed system files) are plain files and folders.

#include <cstdint>

namespace tavo::fs {

// Whether an entry with the reparse tag `tag` counts as a link. Pure, so both builds test it.
[[nodiscard]] bool is_link_tag(std::uint32_t tag) noexcept;

}  // namespace tavo::fs
