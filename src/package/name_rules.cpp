#include "package/name_rules.hpp"

#include <optional>

#include "common/utf8.hpp"
#include "package/package_error.hpp"
#include "verify/manifest_names.hpp"

namespace tavo::package {
namespace {

template <typename Visit>
void for_each_component(std::wstring_view path, Visit&& visit) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = path.find(L'/', start);
    visit(path.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start));
    if (end == std::wstring_view::npos) return;
    start = end + 1;
  }
}

wchar_t ascii_upper(wchar_t c) noexcept { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool is_device_name(std::wstring_view component) {
  std::wstring base(component.substr(0, component.find(L'.')));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  for (wchar_t& c : base) c = ascii_upper(c);
  if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL") return true;
  return base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
         base[3] >= L'1' && base[3] <= L'9';
}

bool is_windows_unfit(std::wstring_view component) {
  if (component.empty() || component.back() == L'.' || component.back() == L' ') return true;
  for (const wchar_t c : component) {
    if (c < 0x20 || std::wstring_view(L"<>:\"\\|?*").find(c) != std::wstring_view::npos) return true;
  }
  return is_device_name(component);
}

}  // namespace

std::string utf8_name(std::wstring_view path) {
  std::string utf8 = utf8_from_wide(path);
  const std::optional<std::wstring> back = wide_from_utf8_strict(utf8);
  if (!back || *back != path) throw PackageError("The name cannot be written in UTF-8");
  return utf8;
}

void refuse_unlistable_path(std::wstring_view path) {
  if (path.find_first_of(L"\r\n") != std::wstring_view::npos) {
    throw PackageError("A name with a line break cannot be listed in a manifest");
  }
  utf8_name(path);
  if (!verify::is_valid_software_path(path)) throw PackageError("Invalid software path");
  if (path.find(L'\\') != std::wstring_view::npos) {
    throw PackageError("The setup reads a backslash in a name as a folder separator");
  }
}

void refuse_entry_kind(const fs::TreeEntry& entry) {
  if (entry.kind == fs::EntryKind::link) throw PackageError("Links are not allowed in a setup package");
  if (entry.kind == fs::EntryKind::other) throw PackageError("Neither a file nor a folder");
}

void refuse_windows_unfit_path(std::wstring_view path) {
  for_each_component(path, [](std::wstring_view component) {
    if (is_windows_unfit(component)) throw PackageError("Windows cannot hold this name");
  });
}

}  // namespace tavo::package
