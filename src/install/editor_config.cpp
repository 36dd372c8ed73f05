#include "install/editor_config.hpp"

#include <optional>
#include <string>

#include "common/error.hpp"
#include "fs/input_file.hpp"
#include "install/ini_encoding.hpp"
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

// The editor reads folder values in generic form with a final separator.
std::wstring folder_value(const fs::Path& folder) {
  std::wstring value = folder.text();
  for (wchar_t& c : value) {
    if (c == L'\\') c = L'/';
  }
  value += L'/';
  return value;
}

// The encoding that the settings file has by its first bytes. A file that cannot be read now could not be
// written either: refused at once.
IniEncoding settings_encoding(const fs::Path& settings_file) {
  std::optional<fs::InputFile> file = fs::InputFile::open(settings_file);
  const std::optional<std::string> start = file ? file->read_up_to(3) : std::nullopt;
  if (!start) throw Error("Cannot configure editor");
  return ini_encoding_of(*start);
}

}  // namespace

void write_editor_setting(const fs::Path& settings_file, std::wstring_view section, std::wstring_view key,
                          const fs::Path& folder) {
  if (!write_private_profile_string(section, key, folder_value(folder), settings_file)) {
    throw Error("Cannot configure editor");
  }
}

void check_editor_folders(const fs::Path& target_dir, const fs::Path& settings_file) {
  if (target_dir.text().find_first_of(L"\r\n") != std::wstring::npos) throw Error("Cannot configure editor");
  const IniEncoding encoding = settings_encoding(settings_file);
  for (const FolderSetting& setting : kFolderSettings) {
    if (!ini_elements(folder_value(fs::join(target_dir, setting.folder)), encoding)) {
      throw Error("Cannot configure editor");
    }
  }
}

void configure_editor(const fs::Path& staging_dir, const fs::Path& target_dir) {
  const fs::Path settings_file = fs::join(staging_dir, L"App/Bin/tset.ini");
  check_editor_folders(target_dir, settings_file);
  for (const FolderSetting& setting : kFolderSettings) {
    write_editor_setting(settings_file, setting.section, setting.key, fs::join(target_dir, setting.folder));
  }
}

}  // namespace tavo::install
