#include "install/target_layout.hpp"

#include "fs/file_operations.hpp"
#include "fs/file_status.hpp"
#include "fs/link_check.hpp"
#include "fs/tree_copy.hpp"

namespace tavo::install {
namespace {

struct PayloadFile {
  const wchar_t* from;  // in the payload folder
  const wchar_t* to;    // in the installation
  bool overwrite;       // replaces what the "App" tree brought along
};

constexpr PayloadFile kPayloadFiles[] = {
    {L"TavoDrv.dll", L"App/Bin/TavoDrv.dll", true},
    {L"tusbshim.dll", L"App/Bin/tusbshim.dll", true},
    {L"tset-template.ini", L"App/Bin/tset.ini", true},
    {L"device_binding.exe", L"Treiber/device_binding.exe", false},
    {L"TAVO-starten.exe", L"TAVO-starten.exe", false},
    {L"TAVO-Treiber-installieren.exe", L"TAVO-Treiber-installieren.exe", false},
    {L"TAVO-Treiber-entfernen.exe", L"TAVO-Treiber-entfernen.exe", false},
};

}  // namespace

void fill_staging_folder(const fs::Path& exe_dir, const fs::Path& source_dir, const fs::Path& payload_dir,
                         const fs::Path& staging_dir) {
  fs::copy_tree(fs::join(source_dir, L"App"), fs::join(staging_dir, L"App"));
  fs::copy_tree(fs::join(source_dir, L"Tavo"), fs::join(staging_dir, L"Tavo"));
  const fs::Path presets = fs::join(source_dir, L"Presets");
  if (fs::exists(presets)) {
    fs::refuse_linked_tree(presets);
    fs::copy_tree(presets, fs::join(staging_dir, L"Presets"));
  }
  fs::create_directory(fs::join(staging_dir, L"Treiber"));
  for (const PayloadFile& file : kPayloadFiles) {
    fs::copy_file(fs::join(payload_dir, file.from), fs::join(staging_dir, file.to), file.overwrite);
  }
  fs::copy_file(fs::join(exe_dir, L"Anleitung.txt"), fs::join(staging_dir, L"Anleitung.txt"), false);
}

void create_user_folders(const fs::Path& staging_dir) {
  for (const wchar_t* folder : {L"Backups", L"Presets", L"Logs"}) fs::create_directories(fs::join(staging_dir, folder));
}

}  // namespace tavo::install
