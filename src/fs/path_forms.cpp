#include "fs/path_forms.hpp"

namespace tavo::fs {

Path absolute_normal_form(const Path& path) {
  if (path.empty()) return path;
  return lexically_normal(absolute(path));
}

Path long_path_form(const Path& path) {
  return Path(long_path_text(lexically_normal(absolute(path)).text()));
}

}  // namespace tavo::fs
