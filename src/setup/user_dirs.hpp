#pragma once
// The desktop's "user-dirs.dirs" (XDG user directories), as its own tool reads it.

#include <optional>
#include <string>
#include <string_view>

namespace tavo::setup {

// The folder of XDG_DOCUMENTS_DIR in the file's text: a double-quoted value that is either "$HOME" alone or
// followed by "/" (taken below `home`), or an absolute path; backslash escapes as inside a shell's double
// quotes. The last valid assignment wins; nothing when there is none, or when it needs an empty `home`.
[[nodiscard]] std::optional<std::string> documents_dir_from_user_dirs(std::string_view text, std::string_view home);

}  // namespace tavo::setup
