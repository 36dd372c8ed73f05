#include "verify/manifest_lines.hpp"

#include <algorithm>
#include <optional>

#include "fs/filesystem_error.hpp"
#include "fs/text_mode.hpp"

namespace tavo::verify {

bool ManifestLines::fill() {
  if (at_end_) return false;
  const std::optional<std::size_t> count =
      file_.read(reinterpret_cast<unsigned char*>(buffer_.data()), buffer_.size());
  if (!count) throw fs::FileSystemError("read", last_system_error(), path_);
  begin_ = 0;
  end_ = *count;
  at_end_ = *count == 0;
  return !at_end_;
}

void ManifestLines::skip_rest_of_line() {
  for (;;) {
    if (begin_ == end_ && !fill()) return;
    const auto first = buffer_.begin() + static_cast<std::ptrdiff_t>(begin_);
    const auto last = buffer_.begin() + static_cast<std::ptrdiff_t>(end_);
    const auto lf = std::find(first, last, '\n');
    begin_ = static_cast<std::size_t>(lf - buffer_.begin());
    if (lf != last) {
      ++begin_;
      return;
    }
  }
}

bool ManifestLines::at_end() {
  if (rest_unread_) {
    skip_rest_of_line();
    rest_unread_ = false;
  }
  return begin_ == end_ && !fill();
}

bool ManifestLines::next(std::string& line) {
  line.clear();
  if (rest_unread_) skip_rest_of_line();
  rest_unread_ = false;
  too_long_ = false;
  const std::size_t room = longest_line_ + 1;  // the CR of a CR LF end comes off below
  bool ended_by_lf = false;
  for (;;) {
    if (begin_ == end_ && !fill()) break;
    const auto first = buffer_.begin() + static_cast<std::ptrdiff_t>(begin_);
    const auto last = buffer_.begin() + static_cast<std::ptrdiff_t>(end_);
    const auto lf = std::find(first, last, '\n');
    if (static_cast<std::size_t>(lf - first) > room - line.size()) {
      line.clear();
      too_long_ = true;
      rest_unread_ = true;
      return true;
    }
    line.append(first, lf);
    begin_ = static_cast<std::size_t>(lf - buffer_.begin());
    if (lf != last) {
      ++begin_;
      ended_by_lf = true;
      break;
    }
  }
  if (!ended_by_lf && line.empty()) return false;
  // The file is read in binary, so that 0x1A does not end it early as Windows' text mode would; that
  // mode's one change to a line, CR LF read as LF, is made here.
  if (ended_by_lf) fs::drop_text_mode_cr(line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > longest_line_) {
    line.clear();
    too_long_ = true;
  }
  return true;
}

}  // namespace tavo::verify
