// The two name rules of the manifests and the strict conversion of a name's bytes, on any bytes.
//
// Properties: conversion is exact or refused; the rules agree with each other (a payload name is a software
// path of one component, or ".."); a path in the documented form (components joined by slashes, none "..",
// no drive at its start) is accepted, and a "..", a leading separator or a drive prefix put into it makes it
// refused; slash and backslash, and runs of them, separate alike.
#include <string>

#include "common/error.hpp"
#include "common/utf8.hpp"
#include "fuzz_support.hpp"
#include "verify/manifest_names.hpp"

namespace tavo::fuzz {
namespace {

using verify::is_valid_payload_name;
using verify::is_valid_software_path;

bool is_separator(wchar_t c) { return c == L'/' || c == L'\\'; }

bool has_drive_prefix(std::wstring_view name) {
  return name.size() >= 2 && name[1] == L':' &&
         ((name[0] >= L'a' && name[0] <= L'z') || (name[0] >= L'A' && name[0] <= L'Z'));
}

// The name in the documented form: every separator run becomes one slash, empty and ".." components go, and
// a first component that begins with a drive prefix is put behind a "." component.
std::wstring documented_form(std::wstring_view name) {
  std::wstring out;
  std::size_t i = 0;
  while (i < name.size()) {
    std::size_t end = i;
    while (end < name.size() && !is_separator(name[end])) ++end;
    const std::wstring_view component = name.substr(i, end - i);
    if (!component.empty() && component != L"..") {
      if (out.empty() && has_drive_prefix(component)) out = L".";
      if (!out.empty()) out += L'/';
      out += component;
    }
    i = end + 1;
  }
  return out;
}

void check_rules(std::wstring_view name) {
  const bool payload = is_valid_payload_name(name);
  const bool software = is_valid_software_path(name);
  const bool has_separator = name.find_first_of(L"/\\") != std::wstring_view::npos;
  check(payload == (!name.empty() && !has_separator && !has_drive_prefix(name)), "payload rule as documented");
  if (payload) check(software || name == L"..", "a payload name is a software path, except \"..\"");
  if (software && !has_separator) check(payload, "a software path of one component is a payload name");

  const std::wstring documented = documented_form(name);
  if (!documented.empty()) {
    check(is_valid_software_path(documented), "a path in the documented form is accepted");
    std::wstring other_separators = documented;
    for (wchar_t& c : other_separators) c = c == L'/' ? L'\\' : c;
    check(is_valid_software_path(other_separators), "backslashes separate like slashes");
    check(is_valid_software_path(L"./" + documented + L"//x"), "\".\" and separator runs are accepted");
    for (const wchar_t* refused : {L"/", L"\\", L"\\\\server\\", L"C:", L"z:", L"../"}) {
      check(!is_valid_software_path(refused + documented), "a root or a leading \"..\" is refused");
    }
    check(!is_valid_software_path(documented + L"/.."), "a trailing \"..\" is refused");
    check(!is_valid_software_path(documented + L"\\..\\x"), "an inner \"..\" is refused");
  }
}

void check_conversion(std::string_view bytes) {
  std::wstring wide;
  try {
    wide = verify::wide_from_utf8_file_name(bytes);
  } catch (const SystemError&) {
    check(!wide_from_utf8_strict(bytes).has_value(), "only invalid UTF-8 is refused");
    return;
  }
  check(utf8_from_wide(wide) == bytes, "a converted name converts back to its bytes");
  check(verify::wide_from_narrow_file_name(bytes) == wide, "here the narrow encoding is UTF-8");
  check_rules(wide);
}

}  // namespace
}  // namespace tavo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavo::fuzz;
  const std::string_view bytes = bytes_of(data, size);
  check_conversion(bytes);
  check_rules(wide_from_bytes(bytes));
  return 0;
}
