#pragma once
// Making symbolic links in tests. Under Wine the links are Linux links, made with the Linux "ln".

#include <string>

#include "fs/path.hpp"

namespace tavo::test {

// Makes `link` a symbolic link to `target` (which need not exist). Returns false with a reason when this
// platform cannot make one.
bool make_symbolic_link(const fs::Path& target, const fs::Path& link, bool to_folder, std::string& why_not);

// Removes such a link. The test folder's cleanup must not meet a Linux link under Wine: the standard library
// of the Windows build takes it for a folder and never finishes removing it.
void remove_symbolic_link(const fs::Path& link);

// A link for the length of a test; declare it after the TempDir that holds it.
class SymbolicLink {
 public:
  SymbolicLink(const fs::Path& target, const fs::Path& link, bool to_folder)
      : link_(link), made_(make_symbolic_link(target, link, to_folder, why_not_)) {}
  SymbolicLink(const SymbolicLink&) = delete;
  SymbolicLink& operator=(const SymbolicLink&) = delete;
  ~SymbolicLink() {
    if (made_) remove_symbolic_link(link_);
  }
  bool made() const noexcept { return made_; }
  const std::string& why_not() const noexcept { return why_not_; }

 private:
  fs::Path link_;
  std::string why_not_;
  bool made_;
};

// Whether the link check can see `link` as a link on this platform: Wine shows a Linux link to a file as a
// plain file, without the reparse-point attribute.
bool link_is_visible(const fs::Path& link);

// Wine hides a Linux link whose target is missing from every listing.
bool dangling_links_are_listed();

}  // namespace tavo::test
