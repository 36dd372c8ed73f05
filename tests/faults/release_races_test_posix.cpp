// A release archives exactly what it checked: files changed, swapped for a link or for a pipe after the check
// (just before the archive library reads them) abort the release, and nothing is left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "common/utf8.hpp"
#include "fs/path_forms.hpp"
#include "package/package_tool.hpp"
#include "package_files.hpp"
#include "support/test_support.hpp"
#include "sys/door_control.hpp"

namespace tavo {
namespace {

namespace stdfs = std::filesystem;

class ReleaseRace : public ::testing::Test {
 protected:
  void SetUp() override {
    test::Files payload;
    ASSERT_TRUE(test::write_test_package(root(), payload));
    test::write_file(fs::join(root(), L"TAVO-Setup.exe"), test::windows_program("setup", true));
    test::make_directories(dir / L"Ausgabe");
  }
  void TearDown() override { sys::test::clear_hooks(); }

  fs::Path root() const { return fs::absolute_normal_form(dir / L"Paket"); }
  fs::Path archive() const { return fs::absolute_normal_form(dir / L"Ausgabe/TAVO-Setup-Paket.zip"); }

  // Releases with `change` made as the archive is written, after every check; the tool's output.
  std::string release_with(const std::function<void()>& change) {
    auto ran = std::make_shared<bool>(false);
    sys::test::before_call("zip_close", 1, [=] {
      change();
      *ran = true;
    });
    std::ostringstream out, err;
    status = package::run_package_tool({L"release", root().text(), archive().text()}, {out, err, false});
    sys::test::clear_hooks();
    EXPECT_TRUE(*ran) << "the change was never made";
    return out.str() + err.str();
  }

  stdfs::path in_package(const char* relative) const { return test::std_path(root()) / relative; }

  test::TempDir dir;
  int status = -1;
};

TEST_F(ReleaseRace, AFileChangedAfterTheCheckAbortsTheRelease) {
  const std::string said = release_with([&] { test::write_file(test::from_std(in_package("Originalsoftware/Tavo/Liesmich.txt")), "TAVO 6.6\n"); });
  EXPECT_EQ(status, 1);
  EXPECT_NE(said.find("Originalsoftware/Tavo/Liesmich.txt: changed after it was checked"), std::string::npos) << said;
  EXPECT_TRUE(stdfs::is_empty(test::std_path(dir / L"Ausgabe"))) << "an archive or a temporary file was left";
}

TEST_F(ReleaseRace, AFileSwappedForALinkToASecretIsNotFollowed) {
  const stdfs::path secret = test::std_path(dir / L"geheim.txt");
  test::write_file(test::from_std(secret), "the owner's secret");
  stdfs::permissions(secret, stdfs::perms::owner_read);
  const std::string said = release_with([&] {
    stdfs::remove(in_package("Dateien/tusbshim.dll"));
    stdfs::create_symlink(secret, in_package("Dateien/tusbshim.dll"));
  });
  EXPECT_EQ(status, 1);
  EXPECT_NE(said.find("Dateien/tusbshim.dll: became a link after it was checked"), std::string::npos) << said;
  EXPECT_TRUE(stdfs::is_empty(test::std_path(dir / L"Ausgabe")));
}

TEST_F(ReleaseRace, AFileSwappedForAPipeIsRefusedWithoutWaiting) {
  const std::string said = release_with([&] {
    stdfs::remove(in_package("Anleitung.txt"));
    ASSERT_EQ(::mkfifo(in_package("Anleitung.txt").c_str(), 0644), 0);
  });
  EXPECT_EQ(status, 1);
  EXPECT_NE(said.find("Anleitung.txt: "), std::string::npos) << said;
  EXPECT_TRUE(stdfs::is_empty(test::std_path(dir / L"Ausgabe")));
}

}  // namespace
}  // namespace tavo
