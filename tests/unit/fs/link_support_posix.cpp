#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/utf8.hpp"
#include "link_support.hpp"

namespace tavo::test {

bool make_symbolic_link(const fs::Path& target, const fs::Path& link, bool, std::string& why_not) {
  if (::symlink(utf8_from_wide(target.text()).c_str(), utf8_from_wide(link.text()).c_str()) == 0) return true;
  why_not = std::strerror(errno);
  return false;
}

void remove_symbolic_link(const fs::Path& link) { ::unlink(utf8_from_wide(link.text()).c_str()); }

bool link_is_visible(const fs::Path&) { return true; }

bool dangling_links_are_listed() { return true; }

}  // namespace tavo::test
