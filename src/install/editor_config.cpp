#include "install/editor_config.hpp"

#include <string>

#include "common/error.hpp"
#include "install/private_profile.hpp"

namespace tavo::install {
namespace {

struct FolderSetting {
  const wchar_t* section;
  const wchar_t* key;
  const wchar_t* folder;  // below the target folder
};

// In the order in which they are written.
constexpr FolderSetting kFolderSettings[] = {
    {L"FileBrowser", L"LastPath", L"Presets"},     {L"ReferenceResolver", L"All files_Paths", L"Tavo"},
    {L"StaticPath", L"TavoBackups", L"Backups"},   {L"StaticPath", L"TavoPresets", L"Presets"},
    {L"StaticPath", L"TavoOS", L"Tavo/OS"},        {L"StaticPath", L"Tavo", L"Tavo"},
};

}  // namespace

void write_editor_setting(const fs::Path& settings_file, std::wstring_view section, std::wstring_view key,
                          const fs::Path& folder) {
  // The editor reads folder values in generic form with a final separator.
  std::wstring value = folder.text();
  for (wchar_t& c : value) {
    if (c == L'\\') c = L'/';
  }
  value += L'/';
  if (!write_private_profile_string(section, key, value, settings_file)) throw Error("Cannot configure editor");
}

void check_editor_folders(const fs::Path& target_dir) {
  if (target_dir.text().find_first_of(L"\r\n") != std::wstring::npos) throw Error("Cannot configure editor");
}

void configure_editor(const fs::Path& staging_dir, const fs::Path& target_dir) {
  check_editor_folders(target_dir);
  const fs::Path settings_file = fs::join(staging_dir, L"App/Bin/tset.ini");
  for (const FolderSetting& setting : kFolderSettings) {
    write_editor_setting(settings_file, setting.section, setting.key, fs::join(target_dir, setting.folder));
  }
}

}  // namespace tavo::install
