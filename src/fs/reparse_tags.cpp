#include "fs/reparse_tags.hpp"

namespace tavo::fs {
namespace {

// learn.microsoft.com/windows/win32/fileio/reparse-point-tags and MS-FSCC 2.1.2.1 "Reparse Tags".
constexpr std::uint32_t kNameSurrogate = 0x20000000;  // IsReparseTagNameSurrogate: the entry names another one
constexpr std::uint32_t kCloud = 0x9000001A;          // IO_REPARSE_TAG_CLOUD; _CLOUD_1 .. _CLOUD_F in the mask
constexpr std::uint32_t kCloudMask = 0x0000F000;      // IO_REPARSE_TAG_CLOUD_MASK
constexpr std::uint32_t kDedup = 0x80000013;          // IO_REPARSE_TAG_DEDUP
constexpr std::uint32_t kWof = 0x80000017;            // IO_REPARSE_TAG_WOF

}  // namespace

bool is_link_tag(std::uint32_t tag) noexcept {
  if ((tag & kNameSurrogate) != 0) return true;
  // Only these known data tags are plain; a tag of any other owner may redirect, so it counts as a link.
  const bool data = (tag & ~kCloudMask) == kCloud || tag == kDedup || tag == kWof;
  return !data;
}

}  // namespace tavo::fs
