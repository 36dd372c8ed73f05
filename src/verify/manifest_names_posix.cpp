#include <algorithm>
#include <cerrno>
#include <optional>

#include "common/error.hpp"
#include "common/utf8.hpp"
#include "common/system_error.hpp"
#include "verify/manifest_names.hpp"

namespace tavo::verify {

// File names here are bytes; the package's names are taken as UTF-8, strictly, like the software's.
std::wstring wide_from_narrow_file_name(std::string_view name) { return wide_from_utf8_file_name(name); }

std::wstring wide_from_utf8_file_name(std::string_view name) {
  std::optional<std::wstring> wide = wide_from_utf8_strict(name);
  if (!wide) throw SystemError(system_error_code(EILSEQ));
  return std::move(*wide);
}

std::wstring with_file_call_separators(std::wstring name) {
  std::replace(name.begin(), name.end(), L'\\', L'/');
  return name;
}

}  // namespace tavo::verify
