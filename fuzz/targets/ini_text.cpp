// The in-place editing of a private-profile (INI) file on any file and any entry that the writer passes on.
//
// Input: section, key and value, each cut at a NUL, then the file's bytes.
// Properties: a file read and written back unchanged keeps every byte; setting a key changes at most one line,
// to "<key as the file spells it>=<value>", or adds the entry (and its section header) as new lines, with a
// line end given to a last line that had none; every other line stays as it was, line end included; and an
// entry as the setup writes it is found again: setting it once more changes nothing.
#include <optional>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "install/ini_encoding.hpp"
#include "install/ini_text.hpp"

namespace tavo::fuzz {
namespace {

// The lines of a text, each with its line end.
std::vector<std::wstring_view> lines_of(std::wstring_view text) {
  std::vector<std::wstring_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t lf = text.find(L'\n', start);
    const std::size_t end = lf == std::wstring_view::npos ? text.size() : lf + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

// A line without its end: LF, CR LF, or a CR at the very end of the text.
std::wstring_view content_of(std::wstring_view line) {
  if (!line.empty() && line.back() == L'\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
  return line;
}

bool ends_with(std::wstring_view text, std::wstring_view end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// What the writer is given: names as the setup writes them (no line break, no "]" in the section, no "=" in
// the key, no blanks around a name, a key that does not begin like a section header) and a value without line
// breaks.
bool is_writable(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
  const auto blank_around = [](std::wstring_view name) {
    return !name.empty() &&
           (name.front() == L' ' || name.front() == L'\t' || name.back() == L' ' || name.back() == L'\t');
  };
  return section.find_first_of(L"\r\n]") == std::wstring_view::npos &&
         key.find_first_of(L"\r\n=") == std::wstring_view::npos &&
         value.find_first_of(L"\r\n") == std::wstring_view::npos && !blank_around(section) && !blank_around(key) &&
         (key.empty() || key.front() != L'[');
}

void check_edit(std::wstring_view before, std::wstring_view section, std::wstring_view key, std::wstring_view value) {
  // The writers never pass on a line break: it would make lines of its own.
  for (const std::wstring_view text : {section, key, value}) {
    if (text.find_first_of(L"\r\n") != std::wstring_view::npos) return;
  }
  const std::wstring after = install::with_profile_string(before, section, key, value);
  const std::vector<std::wstring_view> old_lines = lines_of(before);
  const std::vector<std::wstring_view> new_lines = lines_of(after);

  std::size_t head = 0;
  while (head < old_lines.size() && head < new_lines.size() && old_lines[head] == new_lines[head]) ++head;
  std::size_t tail = 0;
  while (tail < old_lines.size() - head && tail < new_lines.size() - head &&
         old_lines[old_lines.size() - 1 - tail] == new_lines[new_lines.size() - 1 - tail]) {
    ++tail;
  }
  // Between the lines that stayed: at most one old line, changed; the rest are new lines.
  const std::size_t old_changed = old_lines.size() - head - tail;
  const std::size_t new_changed = new_lines.size() - head - tail;
  check(old_changed <= 1, "at most one line of the file changes");
  check(new_changed <= old_changed + 2, "at most a section header and the entry are added");
  const std::wstring entry_end = std::wstring(key) + L"=" + std::wstring(value);
  for (std::size_t i = 0; i < new_changed; ++i) {
    const std::wstring_view line = new_lines[head + i];
    if (i == 0 && old_changed == 1) {
      const std::wstring_view old_line = old_lines[head];
      // A last line without LF (a lone CR at its end included) keeps every character and gets a line end.
      const bool given_an_end = old_line.back() != L'\n' && line.substr(0, old_line.size()) == old_line &&
                                (line.substr(old_line.size()) == L"\n" || line.substr(old_line.size()) == L"\r\n");
      const bool value_replaced = ends_with(content_of(line), L"=" + std::wstring(value)) &&
                                  line.substr(content_of(line).size()) == old_line.substr(content_of(old_line).size());
      check(given_an_end || value_replaced, "a changed line gets a line end or the new value, its end kept");
      continue;
    }
    const std::wstring_view content = content_of(line);
    check(content != line, "an added line has a line end");
    check(content == entry_end || content == L"[" + std::wstring(section) + L"]",
          "an added line is the entry or its header");
  }

  // Read again, the entry is there: setting it once more changes nothing.
  if (!is_writable(section, key, value)) return;
  check(install::with_profile_string(after, section, key, value) == after, "the value set is found again");
}

}  // namespace
}  // namespace tavo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavo;
  using namespace tavo::fuzz;
  const auto parts = fields(bytes_of(data, size), 4);
  const install::IniText file = install::decode_ini_text(parts[3]);
  check(install::encode_ini_text(file) == parts[3], "a file read and written back keeps every byte");

  // Natively every encoding holds any text: the elements are always there.
  const std::wstring section = install::ini_elements(wide_from_bytes(parts[0]), file.encoding).value();
  const std::wstring key = install::ini_elements(wide_from_bytes(parts[1]), file.encoding).value();
  const std::wstring value = install::ini_elements(wide_from_bytes(parts[2]), file.encoding).value();
  check_edit(file.text, section, key, value);

  install::IniText edited = file;
  edited.text = install::with_profile_string(file.text, section, key, value);
  const install::IniText again = install::decode_ini_text(install::encode_ini_text(edited));
  check(again.text == edited.text && again.encoding == edited.encoding, "the edited text is written as it reads");
  return 0;
}
