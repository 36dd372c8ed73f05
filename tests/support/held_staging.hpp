#pragma once
// The final rename as the setup makes it, for tests that name the folders by path: the staging folder held,
// within its held parent.

#include <stdexcept>
#include <string>

#include "fs/held_folder.hpp"
#include "fs/path.hpp"
#include "install/finalize.hpp"

namespace tavo::test {

inline std::wstring last_name(const fs::Path& path) {
  std::wstring name = path.text().substr(fs::parent(path).text().size());
  while (!name.empty() && fs::is_separator(name.front())) name.erase(0, 1);
  return name;
}

inline void finalize(const fs::Path& staging, const fs::Path& target) {
  fs::HeldFolder parent;
  fs::HeldFolder held;
  if (fs::HeldFolder::open(fs::parent(staging), parent) || parent.open_folder(last_name(staging), held)) {
    throw std::logic_error("the staging folder of the test cannot be held");
  }
  install::finalize_installation(parent, std::move(held), last_name(staging), last_name(target));
}

}  // namespace tavo::test
