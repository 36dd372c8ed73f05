#pragma once
// Why a manifest line was refused, in words a vendor can act on. The setup's own messages stay as they are;
// these reasons follow them where someone reads more than the message (the package tool).

#include <cstddef>
#include <string>
#include <string_view>

namespace tavo::verify {

// Where a refused line stands in its manifest.
struct LinePlace {
  bool first = false;
  bool last = false;
};

// Why `line` (without its end) does not have the layout "<64 hex digits>  <name>".
std::string layout_reason(std::string_view line, LinePlace place);

// Why the digest `listed` in a line does not match `computed` (lower-case hex, as the setup compares).
std::string mismatch_reason(std::string_view listed, std::string_view computed);

// "66 files listed, at least 100 needed" / "6 files listed, 7 needed".
std::string count_reason(std::size_t listed, std::size_t needed, bool at_least);

}  // namespace tavo::verify
