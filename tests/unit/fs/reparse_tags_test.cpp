// Which reparse tags count as links is plain code: this table runs in both builds.
#include <gtest/gtest.h>

#include <cstdint>
#include <ios>

#include "fs/reparse_tags.hpp"

namespace tavo::fs {
namespace {

struct TagCase {
  const char* name;
  std::uint32_t tag;
  bool link;
};

std::ostream& operator<<(std::ostream& os, const TagCase& c) {
  return os << c.name << " 0x" << std::hex << c.tag << std::dec;
}

class ReparseTag : public ::testing::TestWithParam<TagCase> {};

TEST_P(ReparseTag, CountsAsLinkUnlessAKnownDataTag) { EXPECT_EQ(is_link_tag(GetParam().tag), GetParam().link); }

INSTANTIATE_TEST_SUITE_P(
    Table, ReparseTag,
    ::testing::Values(
        // Name surrogates: the entry stands for another one.
        TagCase{"symbolic link", 0xA000000C, true}, TagCase{"mount point or junction", 0xA0000003, true},
        TagCase{"WSL symbolic link", 0xA000001D, true},
        TagCase{"global reparse", 0xA0000019, true}, TagCase{"name surrogate bit alone", 0x20000000, true},
        // A name surrogate stays a link even when its low bits read like a data tag.
        TagCase{"cloud with the name surrogate bit", 0xB000001A, true},
        TagCase{"dedup with the name surrogate bit", 0xA0000013, true},
        // Cloud files: IO_REPARSE_TAG_CLOUD and _CLOUD_1 .. _CLOUD_F.
        TagCase{"cloud", 0x9000001A, false}, TagCase{"cloud 1", 0x9000101A, false},
        TagCase{"cloud 3", 0x9000301A, false}, TagCase{"cloud 9", 0x9000901A, false},
        TagCase{"cloud F", 0x9000F01A, false},
        // Deduplicated and compressed (WOF) system files.
        TagCase{"dedup", 0x80000013, false}, TagCase{"wof", 0x80000017, false},
        // Everything else, however close to a data tag, counts as a link.
        TagCase{"unknown", 0x00000099, true}, TagCase{"reserved zero", 0x00000000, true},
        TagCase{"cloud value without its directory bit", 0x8000001A, true},
        TagCase{"cloud value in a reserved bit", 0x9001001A, true},
        TagCase{"cloud with another value", 0x9000001B, true}, TagCase{"dedup without Microsoft bit", 0x00000013, true},
        TagCase{"wof with the directory bit", 0x90000017, true}, TagCase{"HSM", 0xC0000004, true},
        TagCase{"app execution alias", 0x8000001B, true},
        TagCase{"projected file system", 0x9000001C, true}, TagCase{"OneDrive (old)", 0x80000021, true},
        TagCase{"all bits", 0xFFFFFFFF, true}));

TEST(ReparseTag, EveryCloudTagInTheCloudMaskIsData) {
  for (std::uint32_t n = 0; n < 16; ++n) {
    EXPECT_FALSE(is_link_tag(0x9000001A | (n << 12))) << "IO_REPARSE_TAG_CLOUD_" << n;
  }
}

}  // namespace
}  // namespace tavo::fs
