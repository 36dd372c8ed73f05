// The Windows path grammar is plain text code: these tables run in both builds.
#include <gtest/gtest.h>

#include "fs/path.hpp"

namespace tavo::fs {
namespace {

constexpr Style W = Style::windows;
constexpr Style P = Style::posix;

struct Case {
  const wchar_t* input;
  const wchar_t* expected;
  Style style;
};

std::ostream& operator<<(std::ostream& os, const Case& c) {
  return os << (c.style == W ? "windows " : "posix ") << std::string(c.input, c.input + std::wcslen(c.input));
}

class LexicallyNormal : public ::testing::TestWithParam<Case> {};

TEST_P(LexicallyNormal, MatchesTable) {
  EXPECT_EQ(lexically_normal(Path(GetParam().input), GetParam().style).text(), GetParam().expected);
}

TEST_P(LexicallyNormal, IsItsOwnNormalFormAndKeepsARelativePathRelative) {
  const Style style = GetParam().style;
  const Path normal = lexically_normal(Path(GetParam().input), style);
  EXPECT_EQ(lexically_normal(normal, style), normal);
  if (!is_absolute(GetParam().input, style)) EXPECT_FALSE(is_absolute(normal.text(), style));
}

INSTANTIATE_TEST_SUITE_P(
    Table, LexicallyNormal,
    ::testing::Values(
        Case{L"", L"", W}, Case{L"D:\\a\\.\\b\\..\\c", L"D:\\a\\c", W}, Case{L"D:/x//y", L"D:\\x\\y", W},
        Case{L"D:\\a\\b\\", L"D:\\a\\b\\", W}, Case{L"a\\..", L".", W}, Case{L"a/./", L"a\\", W},
        Case{L"a\\.", L"a\\", W}, Case{L"a\\b\\..", L"a\\", W}, Case{L"..\\", L"..", W},
        Case{L"..\\..\\a", L"..\\..\\a", W}, Case{L"D:\\..\\..\\a", L"D:\\a", W}, Case{L"D:a\\..", L"D:", W},
        Case{L"D:\\\\\\a", L"D:\\a", W}, Case{L"//server/share/a", L"\\\\server\\share\\a", W},
        Case{L"\\\\server\\share\\..\\b", L"\\\\server\\b", W}, Case{L"\\\\?\\D:\\a\\.\\b", L"\\\\?\\D:\\a\\b", W},
        Case{L"\\\\.\\D:\\a", L"\\\\.\\D:\\a", W}, Case{L"\\??\\D:\\a", L"\\??\\D:\\a", W},
        Case{L"D:\\T\\App/Bin/TavoDrv.dll", L"D:\\T\\App\\Bin\\TavoDrv.dll", W},
        Case{L"C:\\Users\\J\u00fcrgen Wei\u00df\\Documents\\", L"C:\\Users\\J\u00fcrgen Wei\u00df\\Documents\\", W},
        // An element that reads as a drive stays an element: relative stays relative, and a
        // second normalisation changes nothing.
        Case{L"a\\..\\C:\\x", L".\\C:\\x", W}, Case{L".\\C:.", L".\\C:.", W}, Case{L"./c:", L".\\c:", W},
        Case{L"a/../C:", L".\\C:", W}, Case{L"D:a\\..\\C:x", L"D:C:x", W}, Case{L"\\a\\..\\C:x", L"\\C:x", W},
        Case{L"\\..\\??\\D:\\a", L"\\.\\??\\D:\\a", W},
        Case{L"/../?"
             L"?/",
             L"\\.\\?"
             L"?\\",
             W},
        Case{L"a\\..\\C:\\x", L"a\\..\\C:\\x", P}, Case{L"/a/./b/../c", L"/a/c", P}, Case{L"//x///y/", L"/x/y/", P},
        Case{L"a/..", L".", P}, Case{L"/../a", L"/a", P}, Case{L"a\\b", L"a\\b", P}));

class LongPathText : public ::testing::TestWithParam<Case> {};

TEST_P(LongPathText, PrefixesAbsoluteNormalText) {
  const Path normal = lexically_normal(Path(GetParam().input), GetParam().style);
  EXPECT_EQ(long_path_text(normal.text(), GetParam().style), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LongPathText,
    ::testing::Values(Case{L"D:\\a\\b", L"\\\\?\\D:\\a\\b", W},
                      Case{L"\\\\server\\share\\a", L"\\\\?\\UNC\\server\\share\\a", W},
                      Case{L"\\\\?\\D:\\a", L"\\\\?\\D:\\a", W},
                      Case{L"D:\\T\\App/Bin/TavoDrv.dll", L"\\\\?\\D:\\T\\App\\Bin\\TavoDrv.dll", W},
                      Case{L"\\\\.\\D:\\a", L"\\\\?\\UNC\\.\\D:\\a", W}, Case{L"/srv/a", L"/srv/a", P}));

struct JoinCase {
  const wchar_t* base;
  const wchar_t* rel;
  const wchar_t* expected;
  Style style;
};

class Join : public ::testing::TestWithParam<JoinCase> {};

TEST_P(Join, MatchesTable) {
  const JoinCase& c = GetParam();
  EXPECT_EQ(join(Path(c.base), c.rel, c.style).text(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Join,
    ::testing::Values(JoinCase{L"D:\\T", L"App/Bin/TavoDrv.dll", L"D:\\T\\App/Bin/TavoDrv.dll", W},
                      JoinCase{L"E:\\", L"Originalsoftware", L"E:\\Originalsoftware", W},
                      JoinCase{L"E:/", L"x", L"E:/x", W}, JoinCase{L"E:", L"x", L"E:x", W},
                      JoinCase{L"", L"x", L"x", W}, JoinCase{L"D:\\T", L"", L"D:\\T\\", W},
                      JoinCase{L"D:\\T\\", L"", L"D:\\T\\", W}, JoinCase{L"D:\\T", L"C:\\x", L"C:\\x", W},
                      JoinCase{L"D:\\T", L"C:x", L"C:x", W}, JoinCase{L"D:\\T", L"\\x", L"D:\\x", W},
                      JoinCase{L"\\\\srv\\share", L"\\x", L"\\\\srv\\x", W}, JoinCase{L"D:\\T", L"D:x", L"D:\\T\\x", W},
                      JoinCase{L"\\\\srv", L"x", L"\\\\srv\\x", W},
                      JoinCase{L"/home/u", L"Documents", L"/home/u/Documents", P}, JoinCase{L"/", L"x", L"/x", P},
                      JoinCase{L"/a", L"/b", L"/b", P}, JoinCase{L"/a", L"C:x", L"/a/C:x", P}));

class Parent : public ::testing::TestWithParam<Case> {};

TEST_P(Parent, MatchesTable) {
  EXPECT_EQ(parent(Path(GetParam().input), GetParam().style).text(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Parent,
                         ::testing::Values(Case{L"E:\\setup.exe", L"E:\\", W},
                                           Case{L"D:\\T\\Treiber/device_binding.exe", L"D:\\T\\Treiber", W},
                                           Case{L"D:\\a\\\\b", L"D:\\a", W}, Case{L"D:\\", L"D:\\", W},
                                           Case{L"\\\\srv\\share\\x.exe", L"\\\\srv\\share", W},
                                           Case{L"/opt/tavo/tavo-setup", L"/opt/tavo", P}, Case{L"/x", L"/", P}));

class TrailingSeparators : public ::testing::TestWithParam<Case> {};

TEST_P(TrailingSeparators, AreDroppedButARootStays) {
  EXPECT_EQ(without_trailing_separators(Path(GetParam().input), GetParam().style).text(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, TrailingSeparators,
                         ::testing::Values(Case{L"D:\\Ziel\\", L"D:\\Ziel", W}, Case{L"D:\\Ziel\\\\/", L"D:\\Ziel", W},
                                           Case{L"D:\\", L"D:\\", W}, Case{L"\\\\srv\\share\\", L"\\\\srv\\share", W},
                                           Case{L"/srv/x/", L"/srv/x", P}, Case{L"/", L"/", P}));

TEST(RootName, FollowsTheWindowsGrammar) {
  EXPECT_EQ(split_root(L"D:\\a", W).root_name_end, 2u);
  EXPECT_EQ(split_root(L"\\\\?\\D:\\a", W).root_name_end, 3u);
  EXPECT_EQ(split_root(L"\\??\\D:\\a", W).root_name_end, 3u);
  EXPECT_EQ(split_root(L"\\\\server\\share", W).root_name_end, 8u);
  EXPECT_EQ(split_root(L"\\a", W).root_name_end, 0u);
  EXPECT_EQ(split_root(L"\\a", W).root_directory_end, 1u);
  EXPECT_TRUE(is_absolute(L"D:\\a", W));
  EXPECT_FALSE(is_absolute(L"D:a", W));
  EXPECT_FALSE(is_absolute(L"\\a", W));
  EXPECT_TRUE(is_absolute(L"/a", P));
}

TEST(IsWithin, ComparesWholeElements) {
  EXPECT_TRUE(is_within(Path(L"D:\\Paket\\Originalsoftware\\App\\Ziel"), Path(L"D:\\Paket\\Originalsoftware"), W));
  EXPECT_TRUE(is_within(Path(L"d:\\paket\\ORIGINALSOFTWARE"), Path(L"D:\\Paket\\Originalsoftware"), W));
  EXPECT_TRUE(is_within(Path(L"D:\\Paket\\Originalsoftware\\"), Path(L"D:\\Paket\\Originalsoftware"), W));
  EXPECT_TRUE(is_within(Path(L"D:\\Ziel"), Path(L"D:\\"), W));
  EXPECT_FALSE(is_within(Path(L"D:\\Paket\\Originalsoftware2"), Path(L"D:\\Paket\\Originalsoftware"), W));
  EXPECT_FALSE(is_within(Path(L"D:\\Paket"), Path(L"D:\\Paket\\Originalsoftware"), W));
  EXPECT_FALSE(is_within(Path(L"E:\\Paket\\Originalsoftware"), Path(L"D:\\Paket\\Originalsoftware"), W));
  EXPECT_TRUE(is_within(Path(L"/p/Originalsoftware/Tavo/x"), Path(L"/p/Originalsoftware"), P));
  EXPECT_FALSE(is_within(Path(L"/p/originalsoftware/x"), Path(L"/p/Originalsoftware"), P));
  EXPECT_TRUE(is_within(Path(L"/x"), Path(L"/"), P));
}

TEST(WithSuffix, AppendsToTheLastElement) {
  EXPECT_EQ(with_suffix(Path(L"C:\\U\\Tessaroll TAVO-x64"), L".vorbereitung-4711").text(),
            L"C:\\U\\Tessaroll TAVO-x64.vorbereitung-4711");
}

}  // namespace
}  // namespace tavo::fs
