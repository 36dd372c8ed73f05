// The run's log as a file: lines wait until the log has a place, and that place is never in the package or the
// target, however it is spelled or reached.
#include "setup/run_log_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "fs/path_forms.hpp"
#include "support/test_support.hpp"
#include "tavo/build_config.hpp"

namespace tavo::setup {
namespace {

using test::TempDir;

TEST(RunLogFile, LinesNotedBeforeThePlaceIsKnownAreWrittenThere) {
  TempDir dir;
  test::make_directories(dir / L"Paket");
  const fs::Path file = fs::absolute_normal_form(dir / L"lauf.log");
  {
    RunLogFile log;
    log.line("vorher");
    EXPECT_FALSE(log.place(file, false));
    log.line("nachher");
    EXPECT_TRUE(log.placed());
  }
  const std::string eol = build_config::windows ? "\r\n" : "\n";
  const std::regex lines(" +0\\.\\d{3} vorher" + eol + " +\\d+\\.\\d{3} nachher" + eol);
  EXPECT_TRUE(std::regex_match(test::read_file(file), lines)) << test::read_file(file);
}

TEST(RunLogFile, APlaceInsideThePackageOrTheTargetIsFoundBySpelling) {
  TempDir dir;
  test::make_directories(dir / L"Paket/Originalsoftware");
  const fs::Path package = fs::absolute_normal_form(dir / L"Paket");
  const fs::Path target = fs::absolute_normal_form(dir / L"Ziel");  // not there yet
  for (const wchar_t* place : {L"Paket/lauf.log", L"Paket/Originalsoftware/lauf.log", L"Ziel", L"Ziel/lauf.log",
                               L"Paket/./Dateien/../lauf.log"}) {
    EXPECT_TRUE(lies_in_any(fs::absolute_normal_form(dir / place), {package, target})) << test::std_path(dir / place);
  }
  for (const wchar_t* place : {L"Ziel.log", L"Paket.log", L"lauf.log"}) {
    EXPECT_FALSE(lies_in_any(fs::absolute_normal_form(dir / place), {package, target})) << test::std_path(dir / place);
  }
  // A place whose folder is missing is not inside; the log's creation fails there and says so.
  EXPECT_FALSE(lies_in_any(fs::absolute_normal_form(dir / L"fehlt/lauf.log"), {package, target}));
}

TEST(RunLogFile, APlaceReachedThroughALinkIntoThePackageIsRefused) {
  TempDir dir;
  test::make_directories(dir / L"Paket/Dateien");
  std::error_code made;
  std::filesystem::create_directory_symlink(test::std_path(dir / L"Paket/Dateien"), test::std_path(dir / L"Verweis"),
                                            made);
  if (made || !std::filesystem::is_symlink(test::std_path(dir / L"Verweis"))) {
    GTEST_SKIP() << "a link to a folder cannot be made here";
  }
  EXPECT_TRUE(
      lies_in_any(fs::absolute_normal_form(dir / L"Verweis/lauf.log"), {fs::absolute_normal_form(dir / L"Paket")}));
}

}  // namespace
}  // namespace tavo::setup
