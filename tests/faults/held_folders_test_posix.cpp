// Another program swaps the package's or the installation's folders and files for links while a setup runs,
// each swap made at a chosen step of the run: nothing is ever read or written through the link, and the
// installation holds only what the checks read.
#include <sys/stat.h>

#include <filesystem>

#include "held_package_fixture.hpp"

namespace tavo::test {
namespace {

namespace stdfs = std::filesystem;

// Another tree with the same names: the original software with one program changed and a file of its own.
void write_foreign_copy(const stdfs::path& from, const stdfs::path& to) {
  stdfs::copy(from, to, stdfs::copy_options::recursive);
  for (const auto& entry : stdfs::recursive_directory_iterator(to)) {
    if (entry.path().filename() == "Tavo.exe" || entry.path().filename() == "TAVO-starten.exe") {
      write_file(from_std(entry.path()), "MZ foreign");
    }
  }
  write_file(from_std(to / "fremd.txt"), "foreign");
}

bool holds_foreign_content(const fs::Path& folder) {
  if (!exists(folder)) return false;
  for (const auto& entry : stdfs::recursive_directory_iterator(std_path(folder))) {
    if (entry.path().filename() == "fremd.txt") return true;
    if (entry.is_regular_file() && read_file(from_std(entry.path())) == "MZ foreign") return true;
  }
  return false;
}

TEST_F(HeldPackageTest, APackageFolderSwappedForALinkAfterTheChecksIsNeverFollowed) {
  // The folders as the run holds them from its checks on: the trees' parent, each tree, the payload.
  const char* const folders[] = {"Originalsoftware", "Originalsoftware/App", "Originalsoftware/Tavo", "Dateien"};
  int n = 0;
  for (const char* name : folders) {
    SCOPED_TRACE(name);
    const stdfs::path folder = std_path(dir / (L"Paket/" + wide_from_utf8(name)));
    const stdfs::path parked = folder.string() + "-echt";
    const stdfs::path foreign = std_path(dir / (L"Fremd-" + std::to_wstring(++n)));
    write_foreign_copy(folder, foreign);
    const fs::Path target = dir / (L"Ziele/Ziel-" + std::to_wstring(n));
    // After every check, as the staging folder is made.
    const auto ran = before(kCreateFolder, 1, [&] {
      stdfs::rename(folder, parked);
      stdfs::create_directory_symlink(foreign, folder);
    });
    EXPECT_EQ(install(target), "");
    sys::test::clear_hooks();
    ASSERT_TRUE(*ran);
    EXPECT_FALSE(holds_foreign_content(target)) << "content of the swapped-in tree was installed";
    EXPECT_EQ(read_file(fs::join(target, L"App/Bin/Tavo.exe")), "MZ editor");
    stdfs::remove(folder);
    stdfs::rename(parked, folder);
  }
  EXPECT_EQ(files_below(dir / L"Paket"), package);
}

TEST_F(HeldPackageTest, AStagingFolderSwappedForALinkIsNeitherWrittenThroughNorPublished) {
  const fs::Path target = dir / L"Ziele/Ziel";
  const fs::Path foreign = dir / L"Fremd";
  write_file(fs::join(foreign, L"App/Bin/TavoDrv.dll"), "the user's own DLL");
  write_file(fs::join(foreign, L"App/Bin/tset.ini"), "[Own]\n");
  const Files foreign_before = files_below(foreign);
  stdfs::path parked;
  // Right after the staging folder was made, as its first folder ("App") is made in it.
  const auto ran = before(kCreateFolder, 2, [&] {
    const stdfs::path staging = std_path(fs::parent(target)) / staging_beside(target);
    parked = staging.string() + "-weg";
    stdfs::rename(staging, parked);
    stdfs::create_directory_symlink(std_path(foreign), staging);
  });
  const std::string message = install(target);
  ASSERT_TRUE(*ran);
  EXPECT_EQ(message.rfind("Cannot finalize installation: ", 0), 0u) << message;
  EXPECT_EQ(files_below(foreign), foreign_before) << "written through the link";
  EXPECT_FALSE(stdfs::exists(stdfs::symlink_status(std_path(target)))) << "the link became the target";
  // The filled folder is the one that was made, wherever it was moved.
  EXPECT_EQ(read_file(from_std(parked / "App/Bin/TavoDrv.dll")), payload.at("TavoDrv.dll"));
}

TEST_F(HeldPackageTest, TheTargetsParentSwappedForALinkIntoThePackageLeadsNothingIntoIt) {
  make_directories(dir / L"Ziele/Eltern");
  const fs::Path target = dir / L"Ziele/Eltern/Ziel";
  // After the containment was judged on the parent: the parent becomes a link into the original software.
  const auto ran = before(kCreateFolder, 1, [&] {
    stdfs::rename(std_path(dir / L"Ziele/Eltern"), std_path(dir / L"Ziele/Eltern-echt"));
    stdfs::create_directory_symlink(std_path(dir / L"Paket/Originalsoftware/App"), std_path(dir / L"Ziele/Eltern"));
  });
  EXPECT_EQ(install(target), "");
  ASSERT_TRUE(*ran);
  EXPECT_EQ(files_below(dir / L"Paket"), package) << "written into the package";
  // The installation is where the held parent went.
  EXPECT_EQ(read_file(dir / L"Ziele/Eltern-echt/Ziel/Anleitung.txt"), "Anleitung\r\n");
}

TEST_F(HeldPackageTest, ALinkedGuideOrPayloadFileIsRefused) {
  struct Case {
    const char* name;
    const char* file;      // below the package
    long before_creation;  // 0: linked from the start; n: swapped just before the run's nth folder creation
  };
  const Case cases[] = {
      {"the guide, from the start", "Anleitung.txt", 0},
      {"the guide, swapped after the checks", "Anleitung.txt", 1},
      {"a payload program, from the start", "Dateien/TAVO-starten.exe", 0},
      {"a payload program, swapped after the checks", "Dateien/TAVO-starten.exe", 1},
      {"a payload program, swapped during the copy", "Dateien/TAVO-starten.exe", 3},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const stdfs::path file = std_path(dir / (L"Paket/" + wide_from_utf8(c.file)));
    // The file's own bytes, readable by its owner only: following the link would pass every check.
    const stdfs::path secret = std_path(dir / (L"geheim-" + std::to_wstring(++n)));
    stdfs::copy_file(file, secret);
    stdfs::permissions(secret, stdfs::perms::owner_read | stdfs::perms::owner_write);
    const stdfs::path parked = file.string() + ".echt";
    auto swap = [&] {
      stdfs::rename(file, parked);
      stdfs::create_symlink(secret, file);
    };
    std::shared_ptr<bool> ran = std::make_shared<bool>(true);
    if (c.before_creation == 0) {
      swap();
    } else {
      ran = before(kCreateFolder, c.before_creation, swap);
    }
    const fs::Path target = dir / (L"Ziele/Ziel-" + std::to_wstring(n));
    EXPECT_EQ(install(target), "Linked source files are unsupported");
    sys::test::clear_hooks();
    EXPECT_TRUE(*ran);
    EXPECT_FALSE(exists(target));
    stdfs::remove(file);
    stdfs::rename(parked, file);
  }
  EXPECT_EQ(files_below(dir / L"Paket"), package);
}

}  // namespace
}  // namespace tavo::test
