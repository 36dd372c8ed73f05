#pragma once
// Narrow text for messages on Windows: which conversion flags a code page takes.

#include <optional>
#include <string>
#include <string_view>

namespace tavo {

// The WideCharToMultiByte flags for a code page: WC_NO_BEST_FIT_CHARS (an unmappable character becomes the
// default character, never a look-alike such as a plain "A" for "Ä"), except for the code pages that refuse
// every flag with ERROR_INVALID_FLAGS: UTF-8 (a possible ANSI code page since Windows 10), UTF-7, the symbol
// code page and the ISO-2022 and ISCII families.
unsigned long narrowing_flags(unsigned code_page) noexcept;

// Windows only: the text in the code page, with the flags above; empty when it cannot be converted.
std::string narrow_in_code_page(std::wstring_view wide, unsigned code_page);

// Windows only: the text in the code page when the code page holds every character of it exactly (no default
// character, no best fit, the same text back); nothing otherwise.
std::optional<std::string> exact_in_code_page(std::wstring_view wide, unsigned code_page);

// Windows only: the text as the file API narrows it, in the ANSI or OEM code page that it uses.
std::string narrow_for_file_api(std::wstring_view wide);

}  // namespace tavo
