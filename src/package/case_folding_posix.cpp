#include <locale.h>
#include <wctype.h>

#include "package/case_folding.hpp"

namespace tavo::package {
namespace {

// A Unicode character type without touching the program's own locale; without one, ASCII only.
locale_t unicode_ctype() noexcept {
  static const locale_t ctype = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return ctype;
}

}  // namespace

std::wstring windows_case_key(std::wstring_view name) {
  std::wstring key(name);
  const locale_t ctype = unicode_ctype();
  for (wchar_t& c : key) {
    if (ctype != static_cast<locale_t>(nullptr)) {
      c = static_cast<wchar_t>(::towupper_l(static_cast<wint_t>(c), ctype));
    } else if (c >= L'a' && c <= L'z') {
      c = static_cast<wchar_t>(c - L'a' + L'A');
    }
  }
  return key;
}

}  // namespace tavo::package
