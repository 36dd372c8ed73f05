// Whether a target lies inside the original software, judged on disk rather than by its spelling.
#include "fs/containment.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fs/path_forms.hpp"
#include "link_support.hpp"
#include "support/test_support.hpp"
#include "tavo/build_config.hpp"

namespace tavo::fs {
namespace {

// As the setup judges a target: its nearest existing folder held, against the held original software.
bool within(const Path& path, const Path& tree) {
  HeldFolder nearest;
  HeldFolder software;
  std::vector<std::wstring> missing;
  if (hold_nearest_existing(path, nearest, missing) || HeldFolder::open(tree, software)) return false;
  return lies_within_on_disk(nearest, software);
}

class Containment : public ::testing::Test {
 protected:
  void SetUp() override {
    test::make_directories(dir / L"Paket/Originalsoftware/Tavo/OS");
    test::make_directories(dir / L"Paket/Originalsoftware/Gr\u00FC\u00DFe");
    test::make_directories(dir / L"Paket/Originalsoftware2");
    test::make_directories(dir / L"Woanders");
  }
  Path at(const wchar_t* rel) const { return absolute_normal_form(dir / rel); }
  bool inside(const wchar_t* rel) const { return within(at(rel), source); }

  test::TempDir dir;
  Path source = absolute_normal_form(dir / L"Paket/Originalsoftware");
};

TEST_F(Containment, FoldersByTheirPlaceOnDisk) {
  const std::pair<const wchar_t*, bool> cases[] = {
      {L"Paket/Originalsoftware", true},
      {L"Paket/Originalsoftware/Tavo/OS", true},
      {L"Paket/Originalsoftware/Tavo/Neu/Ziel", true},  // the nearest existing ancestor decides
      {L"Paket/Originalsoftware2/Ziel", false},
      {L"Paket/Ziel", false},
      {L"Woanders/Ziel", false},
      {L"Ziel", false},
  };
  for (const auto& [rel, expected] : cases) EXPECT_EQ(inside(rel), expected) << test::std_path(at(rel));
}

TEST_F(Containment, LinksAreFollowedAsACreationWouldFollowThem) {
  const test::SymbolicLink into_tavo(join(source, L"Tavo"), dir / L"tl", true);
  const test::SymbolicLink into_source(source, dir / L"Woanders/os", true);
  const test::SymbolicLink outside(dir / L"Woanders", dir / L"Paket/Originalsoftware2/w", true);
  if (!into_tavo.made()) GTEST_SKIP() << into_tavo.why_not();
  EXPECT_TRUE(inside(L"tl/Install"));
  EXPECT_TRUE(inside(L"tl"));  // the target given as the link itself
  EXPECT_TRUE(inside(L"Woanders/os/Neu/Ziel"));
  EXPECT_FALSE(inside(L"Paket/Originalsoftware2/w/Ziel"));
}

TEST_F(Containment, WindowsSpellingsOfTheSameFolder) {
  if constexpr (!build_config::windows) GTEST_SKIP() << "Windows spellings";
  const std::wstring source_text = source.text();
  const Path cases[] = {
      Path(long_path_text(source_text + L"\\Tavo\\Neu")),
      Path(source_text + L"\\GR\u00DC\u00DFE\\Neu"),  // another case of a non-ASCII letter
  };
  for (const Path& path : cases) EXPECT_TRUE(within(path, source)) << test::std_path(path);
}

}  // namespace
}  // namespace tavo::fs
