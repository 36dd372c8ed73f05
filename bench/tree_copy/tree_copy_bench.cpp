// Runs the link check and the tree copy once on the given folders and prints each one's seconds.
//   tavo-tree-copy-bench <source folder> <destination folder>
#include <chrono>
#include <cstdio>
#include <exception>

#include "common/utf8.hpp"
#include "fs/link_check.hpp"
#include "fs/tree_copy.hpp"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <source folder> <destination folder>\n", argv[0]);
    return 2;
  }
  const tavo::fs::Path from(tavo::wide_from_utf8(argv[1]));
  const tavo::fs::Path to(tavo::wide_from_utf8(argv[2]));
  using clock = std::chrono::steady_clock;
  try {
    const auto start = clock::now();
    tavo::fs::refuse_linked_tree(from);
    const auto checked = clock::now();
    tavo::fs::copy_tree(from, to);
    const auto copied = clock::now();
    std::printf("link_check %.3f s\ncopy_tree %.3f s\n", std::chrono::duration<double>(checked - start).count(),
                std::chrono::duration<double>(copied - checked).count());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
