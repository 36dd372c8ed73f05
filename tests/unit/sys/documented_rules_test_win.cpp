// "Windows as documented": each rule of the door shows what a user's Windows does and Wine does not, and only
// while a test switches it on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/error.hpp"
#include "fs/link_check.hpp"
#include "fs/path_forms.hpp"
#include "install/finalize.hpp"
#include "support/held_staging.hpp"
#include "support/test_support.hpp"
#include "sys/calls_win.hpp"
#include "sys/documented_control_win.hpp"
#include "sys/handles_win.hpp"

namespace tavo {
namespace {

class DocumentedRules : public ::testing::Test {
 protected:
  void TearDown() override { sys::documented::enforce({}); }
  test::TempDir dir_;

  // A path below the test's folder of exactly `length` characters.
  std::wstring path_of_length(std::size_t length) const {
    std::wstring path = dir_.path().text() + L"\\";
    path += std::wstring(length - path.size(), L'n');
    return path;
  }
};

TEST_F(DocumentedRules, MaxPathRefusesPlainPathsFromMaxPathOnAndFoldersFrom248) {
  struct Case {
    const char* what;
    bool folder;
    std::size_t length;
    bool long_form;
    DWORD refused_with;  // 0: allowed
  };
  const Case cases[] = {
      {"folder of 247", true, 247, false, 0},
      {"folder of 248", true, 248, false, ERROR_FILENAME_EXCED_RANGE},
      {"folder of 248 in the long-path form", true, 248, true, 0},
      {"file of 259", false, 259, false, 0},
      {"file of 260", false, 260, false, ERROR_PATH_NOT_FOUND},
      {"file of 300 in the long-path form", false, 300, true, 0},
  };
  wchar_t case_letter = L'a';
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ++case_letter;
    for (const bool rule : {false, true}) {
      sys::documented::Rules rules;
      rules.max_path = rule;
      sys::documented::enforce(rules);
      std::wstring path = path_of_length(c.length);
      path[path.size() - 2] = case_letter;  // a name of its own for each case and round
      path.back() = rule ? L'1' : L'0';
      if (c.long_form) path = L"\\\\?\\" + path;
      ::SetLastError(0);
      bool made = false;
      if (c.folder) {
        made = sys::CreateDirectoryW(path.c_str(), nullptr) != FALSE;
      } else {
        win::UniqueFileHandle file(
            sys::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        made = file.valid();
      }
      const DWORD error = made ? 0 : ::GetLastError();
      // Without the rule Wine allows every length; with it a plain path past the limit is refused.
      EXPECT_EQ(error, rule ? c.refused_with : 0) << (rule ? "with" : "without") << " the rule";
    }
  }
}

TEST_F(DocumentedRules, ReparseTagsShowInTheListingAndOnTheHandle) {
  test::write_file(dir_ / L"Tavo/Daten/Kanal.txt", "synced by the cloud");
  test::write_file(dir_ / L"Tavo/Daten/Lokal.txt", "local");
  const fs::Path tree = dir_ / L"Tavo";
  // Unmarked, the tree holds no link; marked as a symbolic link, the file is refused by the link check.
  fs::refuse_linked_tree(tree);
  sys::documented::Rules rules;
  rules.reparse.push_back({L"kanal.txt", IO_REPARSE_TAG_SYMLINK});
  sys::documented::enforce(rules);
  EXPECT_EQ(test::message_raised<Error>([&] { fs::refuse_linked_tree(tree); }), "Linked source files are unsupported");
  // A cloud file is a reparse point too, but a plain file by its tag, which the listing and a handle report.
  rules.reparse = {{L"kanal.txt", IO_REPARSE_TAG_CLOUD_1}};
  sys::documented::enforce(rules);
  EXPECT_NO_THROW(fs::refuse_linked_tree(tree));

  WIN32_FIND_DATAW data{};
  const std::wstring pattern = fs::long_path_form(dir_ / L"Tavo/Daten").text() + L"\\K*";
  win::UniqueFindHandle listing(
      sys::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
  ASSERT_TRUE(listing);
  EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
  EXPECT_EQ(data.dwReserved0, IO_REPARSE_TAG_CLOUD_1);

  const std::wstring file = fs::long_path_form(dir_ / L"Tavo/Daten/Kanal.txt").text();
  win::UniqueFileHandle handle(sys::CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  ASSERT_TRUE(handle);
  FILE_ATTRIBUTE_TAG_INFO tag{};
  ASSERT_TRUE(sys::GetFileInformationByHandleEx(handle.get(), FileAttributeTagInfo, &tag, sizeof tag));
  EXPECT_NE(tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
  EXPECT_EQ(tag.ReparseTag, IO_REPARSE_TAG_CLOUD_1);
}

TEST_F(DocumentedRules, HeldFolderRenamePassesOnceTheScannerLetsGo) {
  for (const DWORD code : {DWORD{ERROR_ACCESS_DENIED}, DWORD{ERROR_SHARING_VIOLATION}}) {
    SCOPED_TRACE(code);
    const fs::Path staging = dir_ / (L"Ziel.vorbereitung-" + std::to_wstring(code));
    const fs::Path target = dir_ / (L"Ziel-" + std::to_wstring(code));
    test::write_file(fs::join(staging, L"App/Bin/Tavo.exe"), "program");
    sys::documented::Rules rules;
    rules.rename_hold_error = code;
    rules.rename_hold_ms = 600;
    sys::documented::enforce(rules);
    test::finalize(staging, target);
    EXPECT_GE(sys::documented::held_renames(), 2);
    EXPECT_EQ(test::read_file(fs::join(target, L"App/Bin/Tavo.exe")), "program");
  }
  // Without the rule nothing holds the folder under Wine: the first attempt passes.
  sys::documented::enforce({});
  test::write_file(dir_ / L"frei.vorbereitung-1/a.txt", "a");
  test::finalize(dir_ / L"frei.vorbereitung-1", dir_ / L"frei");
  EXPECT_EQ(sys::documented::held_renames(), 0);
}

TEST_F(DocumentedRules, RenameHolderIsNamedByRmGetListWhileTheHoldLasts) {
  sys::documented::Rules rules;
  rules.rename_hold_error = ERROR_SHARING_VIOLATION;
  rules.rename_hold_ms = 400;
  rules.rename_holder = L"OneDrive.exe";
  sys::documented::enforce(rules);
  DWORD session = 0;
  WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
  ASSERT_EQ(sys::RmStartSession(&session, 0, key), static_cast<DWORD>(ERROR_SUCCESS));
  const auto list = [session](UINT room, std::vector<RM_PROCESS_INFO>& holders, UINT& needed) {
    holders.assign(room, RM_PROCESS_INFO{});
    UINT count = room;
    DWORD reasons = 0;
    const DWORD error = sys::RmGetList(session, &needed, &count, room ? holders.data() : nullptr, &reasons);
    holders.resize(error == ERROR_SUCCESS ? count : 0);
    return error;
  };
  std::vector<RM_PROCESS_INFO> holders;
  UINT needed = 0;
  // No room: ERROR_MORE_DATA and the room needed; with it, the holder by its name.
  EXPECT_EQ(list(0, holders, needed), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(needed, 1u);
  ASSERT_EQ(list(needed, holders, needed), static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_EQ(holders.size(), 1u);
  EXPECT_EQ(std::wstring(holders[0].strAppName), L"OneDrive.exe");
  // The hold begins at the folder's first rename (a file's rename is not held); once it is over, nobody holds
  // the folder: Wine's own answer names nobody.
  test::write_file(dir_ / L"Gehalten/a.txt", "a");
  test::write_file(dir_ / L"Datei.txt", "a");
  const std::wstring file = fs::long_path_form(dir_ / L"Datei.txt").text();
  const std::wstring moved_file = fs::long_path_form(dir_ / L"Verschoben.txt").text();
  EXPECT_TRUE(sys::MoveFileExW(file.c_str(), moved_file.c_str(), 0));
  const std::wstring folder = fs::long_path_form(dir_ / L"Gehalten").text();
  const std::wstring moved = fs::long_path_form(dir_ / L"Frei").text();
  EXPECT_FALSE(sys::MoveFileExW(folder.c_str(), moved.c_str(), 0));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  ::Sleep(450);
  EXPECT_EQ(list(4, holders, needed), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(holders.empty());
  sys::RmEndSession(session);
}

}  // namespace
}  // namespace tavo
