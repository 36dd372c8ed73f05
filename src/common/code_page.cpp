#include "common/code_page.hpp"

namespace tavo {

unsigned long narrowing_flags(unsigned code_page) noexcept {
  constexpr unsigned long kNoBestFitChars = 0x400;  // WC_NO_BEST_FIT_CHARS
  switch (code_page) {
    case 42:     // symbol
    case 50220:  // ISO-2022 Japanese
    case 50221:
    case 50222:
    case 50225:  // ISO-2022 Korean
    case 50227:  // ISO-2022 Simplified Chinese
    case 50229:  // ISO-2022 Traditional Chinese
    case 65000:  // UTF-7
    case 65001:  // UTF-8
      return 0;
    default:
      return code_page >= 57002 && code_page <= 57011 ? 0 : kNoBestFitChars;  // ISCII
  }
}

}  // namespace tavo
