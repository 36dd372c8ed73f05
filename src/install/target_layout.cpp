#include "install/target_layout.hpp"

#include <iterator>

#include "fs/file_operations.hpp"
#include "fs/file_status.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/tree_copy.hpp"
#include "install/package_checks.hpp"
#include "verify/package_layout.hpp"

namespace tavo::install {
namespace {

// Where each payload file goes in the installation, in the order of verify::kPayloadFileNames.
struct Placement {
  const wchar_t* folder;   // in the installation; null: its root
  const wchar_t* renamed;  // the name there when it differs from the payload's
  bool overwrite;          // replaces what the "App" tree brought along
};

constexpr Placement kPlacements[] = {
    {L"App/Bin", nullptr, true},      // TavoDrv.dll
    {L"App/Bin", nullptr, true},      // tusbshim.dll
    {L"App/Bin", L"tset.ini", true},  // tset-template.ini
    {L"Treiber", nullptr, false},     // device_binding.exe
    {nullptr, nullptr, false},        // TAVO-starten.exe
    {nullptr, nullptr, false},        // TAVO-Treiber-installieren.exe
    {nullptr, nullptr, false},        // TAVO-Treiber-entfernen.exe
};
static_assert(std::size(kPlacements) == verify::kPayloadFileCount);

}  // namespace

void create_user_folders(const fs::Path& staging_dir) {
  for (const wchar_t* folder : {L"Backups", L"Presets", L"Logs"}) fs::create_directories(fs::join(staging_dir, folder));
}

void fill_staging_folder(HeldPackage& package, const fs::HeldFolder& staging) {
  using namespace verify;
  const fs::HashedFiles& hashed = package.hashed();
  const std::wstring software = kSourceFolderName;
  auto copy_tree = [&](const wchar_t* tree) {
    fs::copy_tree(package.tree(tree), staging, tree,
                  {&hashed, software + L"/" + tree, "Bundled software checksum mismatch"});
  };
  copy_tree(kAppTree);
  copy_tree(kTavoTree);
  run_until_first_problem(package_checks({package.root().path(), {}, nullptr, nullptr, &package}, Stage::presets));
  if (package.has_tree(kPresetsTree)) copy_tree(kPresetsTree);

  fs::HeldFolder drivers;
  if (const std::error_code error = staging.create_folder(L"Treiber", drivers)) {
    throw fs::FileSystemError("create_directory", error, fs::join(staging.path(), L"Treiber"));
  }
  const fs::HeldFolder& payload = package.payload("Payload manifest missing");
  const fs::HashedSource payload_files{&hashed, kPayloadFolderName, "Payload checksum mismatch"};
  for (std::size_t i = 0; i < kPayloadFileCount; ++i) {
    const Placement& place = kPlacements[i];
    fs::HeldFolder folder;
    if (place.folder != nullptr) {
      if (const std::error_code error = staging.open_folder(place.folder, folder)) {
        throw fs::FileSystemError("copy_file", error, fs::join(payload.path(), kPayloadFileNames[i]),
                                  fs::join(staging.path(), place.folder));
      }
    }
    fs::copy_file(payload, kPayloadFileNames[i], place.folder != nullptr ? folder : staging,
                  place.renamed != nullptr ? place.renamed : kPayloadFileNames[i], place.overwrite, payload_files);
  }
  // Nothing hashed the user guide; it is still taken from the held package folder and never through a link.
  fs::copy_file(package.root(), kUserGuideName, staging, kUserGuideName, false, {});
}

}  // namespace tavo::install
