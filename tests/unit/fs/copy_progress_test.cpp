// The copies report every byte they copy, so that a progress window stays alive between files and inside
// large ones.
#include <gtest/gtest.h>

#include <string>

#include "fs/file_operations.hpp"
#include "fs/tree_copy.hpp"
#include "support/progress_counter.hpp"
#include "support/test_support.hpp"

namespace tavo::fs {
namespace {

TEST(CopyProgress, TreeAndFileCopiesReportTheirBytes) {
  test::TempDir dir;
  const Path tree = join(dir.path(), L"App");
  test::write_file(join(tree, L"Bin/Tavo.exe"), std::string(3 << 20, 'x'));
  test::write_file(join(tree, L"Bin/leer.dat"), "");
  test::write_file(join(tree, L"Lib/a.txt"), "abc");
  test::make_directories(join(tree, L"leer/tiefer"));
  const Path empty_tree = join(dir.path(), L"Leer");
  test::make_directories(empty_tree);

  struct Case {
    const char* name;
    void (*copy)(const Path& dir);
    std::uint64_t bytes;
  };
  const Case cases[] = {
      {"tree", [](const Path& d) { copy_tree(join(d, L"App"), join(d, L"Kopie")); }, (3u << 20) + 3},
      {"empty tree", [](const Path& d) { copy_tree(join(d, L"Leer"), join(d, L"Leer-Kopie")); }, 0},
      {"new file", [](const Path& d) { copy_file(join(d, L"App/Lib/a.txt"), join(d, L"a.txt"), false); }, 3},
      {"replaced file",
       [](const Path& d) { copy_file(join(d, L"App/Bin/Tavo.exe"), join(d, L"App/Lib/a.txt"), true); }, 3u << 20},
  };
  for (const Case& c : cases) {
    test::ProgressCounter counter;
    c.copy(dir.path());
    EXPECT_EQ(counter.bytes, c.bytes) << c.name;
  }
}

}  // namespace
}  // namespace tavo::fs
