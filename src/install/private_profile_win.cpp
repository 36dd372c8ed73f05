#include "sys/calls_win.hpp"

#include <string>

#include "install/private_profile.hpp"

namespace tavo::install {

bool write_private_profile_string(std::wstring_view section, std::wstring_view key, std::wstring_view value,
                                  const fs::Path& file) {
  const std::wstring section_text(section);
  const std::wstring key_text(key);
  const std::wstring value_text(value);
  return sys::WritePrivateProfileStringW(section_text.c_str(), key_text.c_str(), value_text.c_str(),
                                             file.text().c_str()) != 0;
}

}  // namespace tavo::install
