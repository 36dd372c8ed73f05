// Windows: what the setup works on is held so that no other program can swap it. Folders are held without
// delete sharing and with listing access, which takes part in share checks (MS-FSA 2.1.5.1.2.2); a file is read
// for its copy from a handle that denies writers; a link is told by its reparse tag (played by the door's
// reparse rule where Wine cannot make one); and only a file's unnamed data stream is installed.
#include <windows.h>

#include <filesystem>

#include "held_package_fixture.hpp"
#include "sys/documented_control_win.hpp"
#include "sys/handles_win.hpp"

namespace tavo::test {
namespace {

namespace stdfs = std::filesystem;

// Whether another program could rename the folder now (it is renamed back at once).
bool can_rename(const fs::Path& folder) {
  const std::wstring from = std_path(folder).wstring();
  const std::wstring to = from + L"-weg";
  if (!::MoveFileExW(from.c_str(), to.c_str(), 0)) return false;
  ::MoveFileExW(to.c_str(), from.c_str(), 0);
  return true;
}

TEST_F(HeldPackageTest, HeldFoldersCannotBeRenamedByAnotherProgram) {
  const fs::Path target = dir / L"Ziele/Ziel";
  std::vector<std::wstring> renamed;
  // After the checks, as the staging folder's first folder is made: every folder the run reads or writes
  // through is held.
  const auto ran = before(kCreateFolder, 2, [&] {
    const fs::Path staging = fs::join(fs::parent(target), staging_beside(target));
    for (const fs::Path& folder : {dir / L"Paket/Originalsoftware", dir / L"Paket/Originalsoftware/App",
                                   dir / L"Paket/Originalsoftware/Tavo", dir / L"Paket/Dateien", staging,
                                   dir / L"Ziele"}) {
      if (can_rename(folder)) renamed.push_back(folder.text());
    }
  });
  EXPECT_EQ(install(target), "");
  ASSERT_TRUE(*ran);
  EXPECT_EQ(renamed, std::vector<std::wstring>{}) << "a held folder could be renamed";
  EXPECT_EQ(read_file(fs::join(target, L"App/Bin/Tavo.exe")), "MZ editor");
}

TEST_F(HeldPackageTest, AFileBeingCopiedCannotBeWritten) {
  const fs::Path target = dir / L"Ziele/Ziel";
  int refused = 0;
  int writable = 0;
  // In the middle of a file's copy: its first write to the new file.
  const auto ran = before("WriteFile", 1, [&] {
    for (const auto& entry : stdfs::recursive_directory_iterator(std_path(dir / L"Paket"))) {
      if (!entry.is_regular_file()) continue;
      const win::UniqueFileHandle file(::CreateFileW(entry.path().c_str(), GENERIC_WRITE,
                                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      (file ? writable : refused) += 1;
      if (!file) EXPECT_EQ(::GetLastError(), DWORD{ERROR_SHARING_VIOLATION}) << entry.path();
    }
  });
  EXPECT_EQ(install(target), "");
  ASSERT_TRUE(*ran);
  EXPECT_EQ(refused, 1) << "exactly the file being copied is held against writers";
  EXPECT_GT(writable, 100);
}

TEST_F(HeldPackageTest, ReparsePointsCountAsLinksByTheirTag) {
  struct Case {
    const char* name;
    const wchar_t* entry;
    DWORD tag;
    const char* message;  // "": installed
  };
  const Case cases[] = {
      {"the guide as a symbolic link", L"Anleitung.txt", 0xA000000C, "Linked source files are unsupported"},
      {"a payload program as a symbolic link", L"TAVO-starten.exe", 0xA000000C, "Linked source files are unsupported"},
      {"the original software as a junction", L"Originalsoftware", 0xA0000003,
       "Linked source folders are unsupported"},
      {"the payload folder as a junction", L"Dateien", 0xA0000003, "Linked source folders are unsupported"},
      {"a tree as a junction", L"Tavo", 0xA0000003, "Linked source folders are unsupported"},
      {"the guide as a OneDrive file", L"Anleitung.txt", 0x9000601A, ""},
      {"the original software as a OneDrive folder", L"Originalsoftware", 0x9000001A, ""},
      {"a payload program deduplicated", L"TAVO-starten.exe", 0x80000013, ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::Path target = dir / (L"Ziele/Ziel-" + std::to_wstring(++n));
    sys::documented::enforce({false, {{c.entry, c.tag}}, 0, 0});
    const std::string message = install(target);
    sys::documented::enforce({});
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(exists(target), std::string(c.message).empty());
  }
}

TEST_F(HeldPackageTest, OnlyTheUnnamedDataStreamIsInstalled) {
  // As Windows marks every file unpacked from a downloaded archive.
  const std::wstring stream = std_path(dir / L"Paket/Dateien/TAVO-starten.exe").wstring() + L":Zone.Identifier";
  {
    const win::UniqueFileHandle file(
        ::CreateFileW(stream.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) GTEST_SKIP() << "this file system keeps no alternate data streams (Wine keeps none)";
    DWORD written = 0;
    ::WriteFile(file.get(), "[ZoneTransfer]\r\nZoneId=3\r\n", 26, &written, nullptr);
  }
  const fs::Path target = dir / L"Ziele/Ziel";
  EXPECT_EQ(install(target), "");
  const std::wstring installed = std_path(fs::join(target, L"TAVO-starten.exe")).wstring() + L":Zone.Identifier";
  EXPECT_EQ(::GetFileAttributesW(installed.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(read_file(fs::join(target, L"TAVO-starten.exe")), payload.at("TAVO-starten.exe"));
}

}  // namespace
}  // namespace tavo::test
