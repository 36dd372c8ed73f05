#pragma once

#include <string>
#include <string_view>

#include "tavo/build_config.hpp"

namespace tavo::fs {

// Which grammar a path's text follows. The Windows grammar is plain text code and is tested in both builds.
enum class Style { windows, posix };
inline constexpr Style native_style = build_config::windows ? Style::windows : Style::posix;

// A wide-character file-system path. It is only text: the operations below and in path_forms.hpp
// give it meaning.
class Path {
 public:
  Path() = default;
  explicit Path(std::wstring text) : text_(std::move(text)) {}
  explicit Path(const wchar_t* text) : text_(text) {}

  [[nodiscard]] const std::wstring& text() const noexcept { return text_; }
  [[nodiscard]] bool empty() const noexcept { return text_.empty(); }
  // A NUL ends the name at every system call: such a path names no file, whatever follows the NUL.
  [[nodiscard]] bool has_embedded_nul() const noexcept { return text_.find(L'\0') != std::wstring::npos; }

  friend bool operator==(const Path& a, const Path& b) noexcept { return a.text_ == b.text_; }
  friend bool operator!=(const Path& a, const Path& b) noexcept { return a.text_ != b.text_; }

 private:
  std::wstring text_;
};

// Where the parts of a path's text begin and end.
struct PathParts {
  std::size_t root_name_end = 0;       // [0, root_name_end) is the root name ("D:", "\\server", "\\?")
  std::size_t root_directory_end = 0;  // [root_name_end, root_directory_end) are the root's separators
};

[[nodiscard]] bool is_separator(wchar_t c, Style style = native_style) noexcept;

// A drive letter and a colon at the text's start ("D:").
[[nodiscard]] bool has_drive_prefix(std::wstring_view text) noexcept;
wchar_t preferred_separator(Style style = native_style) noexcept;
[[nodiscard]] PathParts split_root(std::wstring_view text, Style style = native_style) noexcept;
[[nodiscard]] bool is_absolute(std::wstring_view text, Style style = native_style) noexcept;

// The path with text appended to its last element, without a separator ("Ziel" and ".vorbereitung-1" give
// "Ziel.vorbereitung-1").
[[nodiscard]] Path with_suffix(const Path& path, std::wstring_view suffix);

// base joined with rel: one separator between them where needed, rel taken as written.
[[nodiscard]] Path join(const Path& base, std::wstring_view rel, Style style = native_style);

// Everything before the last element, without the separators in front of it; a root directory stays.
[[nodiscard]] Path parent(const Path& path, Style style = native_style);

// The lexical normal form: separators unified, "." and "x/.." removed, trailing separator kept.
[[nodiscard]] Path lexically_normal(const Path& path, Style style = native_style);

// The path without separators at its end; a root stays a root ("D:\" and "/" are unchanged).
[[nodiscard]] Path without_trailing_separators(const Path& path, Style style = native_style);

// True when inner is outer itself or lies below it, by their text alone; both in absolute normal form.
// Windows compares without regard to case, as its file systems do.
[[nodiscard]] bool is_within(const Path& inner, const Path& outer, Style style = native_style);

// The extended-length text for an absolute path in normal form: "\\?\D:\a", "\\?\UNC\server\share".
// In the POSIX grammar there is no such prefix and the text is returned unchanged.
[[nodiscard]] std::wstring long_path_text(std::wstring_view absolute_normal, Style style = native_style);

}  // namespace tavo::fs
