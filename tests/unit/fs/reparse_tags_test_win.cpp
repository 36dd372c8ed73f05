// Reparse points on Windows by their tag, played by the door's "Windows as documented" rule: links (name
// surrogates and unknown tags) are refused as before, cloud, deduplicated and compressed files count as the
// plain files and folders that they are. Wine itself reports no such tags.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "common/error.hpp"
#include "fs/file_status.hpp"
#include "fs/link_check.hpp"
#include "fs/text_file.hpp"
#include "fs/tree_listing.hpp"
#include "support/test_support.hpp"
#include "sys/documented_control_win.hpp"
#include "sys/door_control.hpp"

namespace tavo::fs {
namespace {

constexpr char kLinkedRoot[] = "Linked source folders are unsupported";
constexpr char kLinkedEntry[] = "Linked source files are unsupported";

struct TagCase {
  const char* name;
  DWORD tag;
  bool link;
};

std::ostream& operator<<(std::ostream& os, const TagCase& c) { return os << c.name; }

// Where in the package tree the reparse point lies: the tree's root, a folder or a file below it.
struct Place {
  const char* what;
  const wchar_t* name;      // the marked entry's own name
  const wchar_t* relative;  // its path below the tree's root ("" for the root)
  FileType type;            // what it is when not a link
};
constexpr Place kPlaces[] = {{"root", L"Tavo", L"", FileType::directory},
                             {"folder below", L"Daten", L"Daten", FileType::directory},
                             {"file below", L"Kanal.txt", L"Daten/Kanal.txt", FileType::regular}};

class ReparseTagOnWindows : public ::testing::TestWithParam<TagCase> {
 protected:
  void SetUp() override {
    test::write_file(join(tree(), L"Daten/Kanal.txt"), "synced");
    test::write_file(join(tree(), L"Daten/Lokal.txt"), "local");
    test::write_file(join(tree(), L"Bin/Tavo.exe"), "exe");
  }
  void TearDown() override { sys::documented::enforce({}); }

  Path tree() const { return dir_ / L"Tavo"; }

  void mark(const wchar_t* name) const {
    sys::documented::Rules rules;
    rules.reparse.push_back({name, GetParam().tag});
    sys::documented::enforce(rules);
    fault::arm({});  // counts the calls of what follows afresh
  }

  test::TempDir dir_;
};

TEST_P(ReparseTagOnWindows, LinkCheckRefusesOnlyLinksAtTheRootAndBelow) {
  const TagCase& c = GetParam();
  for (const Place& place : kPlaces) {
    SCOPED_TRACE(place.what);
    mark(place.name);
    const bool root = *place.relative == L'\0';
    const std::string expected = !c.link ? "" : root ? kLinkedRoot : kLinkedEntry;
    EXPECT_EQ(test::message_raised<Error>([&] { refuse_linked_tree(tree()); }), expected);
    // The one marked entry was told by its tag, read on a handle of the entry itself.
    EXPECT_EQ(sys::test::count_of("GetFileInformationByHandleEx"), 1);
    // An accepted tree is walked whole: the root, "Daten" (a data-tagged folder too) and "Bin" are listed.
    if (!c.link) EXPECT_EQ(sys::test::count_of("FindFirstFileExW"), 3);
  }
}

TEST_P(ReparseTagOnWindows, PackageListingShowsLinksAndEntersDataTaggedFolders) {
  const TagCase& c = GetParam();
  struct Expected {
    const wchar_t* name;
    const wchar_t* path;
    EntryKind plain;
  };
  for (const Expected& e : {Expected{L"Daten", L"Daten", EntryKind::folder},
                            Expected{L"Kanal.txt", L"Daten/Kanal.txt", EntryKind::file}}) {
    SCOPED_TRACE(std::string(e.path, e.path + std::wcslen(e.path)));
    mark(e.name);
    const std::vector<TreeEntry> entries = list_tree(tree());
    const auto at = [&](const wchar_t* path) {
      return std::find_if(entries.begin(), entries.end(), [&](const TreeEntry& t) { return t.path == path; });
    };
    ASSERT_NE(at(e.path), entries.end());
    EXPECT_EQ(at(e.path)->kind, c.link ? EntryKind::link : e.plain);
    // A link is listed, not entered; a data-tagged folder is entered like any other.
    const bool folder_entered = at(L"Daten/Lokal.txt") != entries.end();
    EXPECT_EQ(folder_entered, e.plain != EntryKind::folder || !c.link);
  }
}

TEST_P(ReparseTagOnWindows, ResultFileIsWrittenOverADataTagFileAndNeverOverALink) {
  const TagCase& c = GetParam();
  const Path result = dir_ / L"Setup-Ergebnis.txt";
  test::write_file(result, "before");
  mark(L"setup-ergebnis.txt");
  EXPECT_EQ(static_cast<bool>(write_own_text_file(result, "OK\n")), c.link);  // an error: left alone
  EXPECT_EQ(test::read_file(result), c.link ? "before" : "OK\r\n");
  EXPECT_EQ(sys::test::count_of("GetFileInformationByHandleEx"), 1);
}

TEST_P(ReparseTagOnWindows, StatusTellsADataTagFileByItsOwnAttributes) {
  const TagCase& c = GetParam();
  for (const Place& place : kPlaces) {
    SCOPED_TRACE(place.what);
    mark(place.name);
    const Path entry = *place.relative == L'\0' ? tree() : join(tree(), place.relative);
    EXPECT_EQ(status(entry), place.type);
    // The tag is read on the entry itself; only a link is opened again, through it, to reach its target.
    EXPECT_EQ(sys::test::count_of("CreateFileW"), c.link ? 2 : 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tags, ReparseTagOnWindows,
    ::testing::Values(TagCase{"symlink", 0xA000000C, true}, TagCase{"mount_point", 0xA0000003, true},
                      TagCase{"unknown", 0x00000099, true}, TagCase{"cloud", 0x9000001A, false},
                      TagCase{"cloud_3", 0x9000301A, false}, TagCase{"dedup", 0x80000013, false},
                      TagCase{"wof", 0x80000017, false}),
    [](const ::testing::TestParamInfo<TagCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavo::fs
