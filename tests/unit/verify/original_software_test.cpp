#include "verify/original_software.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "common/error.hpp"
#include "driver_fixtures.hpp"
#include "support/test_support.hpp"

namespace tavo::verify {
namespace {

using tavo::test::TempDir;

// A folder with the original software's shape, then changed by each case.
void make_original_software(const TempDir& dir) {
  tavo::test::write_file(dir / L"App/Bin/Tavo.exe", "program");
  tavo::test::write_file(dir / L"App/Bin/TavoDrv.dll", "driver");
  tavo::test::make_directories(dir / L"Tavo/Presets");
}

TEST(HasOriginalSoftware, Shapes) {
  struct Case {
    const char* title;
    std::function<void(const TempDir&)> change;
    bool expected;
  };
  const auto remove = [](const fs::Path& p) { std::filesystem::remove_all(tavo::test::std_path(p)); };
  const Case cases[] = {
      {"complete", [](const TempDir&) {}, true},
      {"no Tavo folder", [&](const TempDir& d) { remove(d / L"Tavo"); }, false},
      {"Tavo is a file", [&](const TempDir& d) { remove(d / L"Tavo"), tavo::test::write_file(d / L"Tavo", ""); },
       false},
      {"Tavo.exe is a folder",
       [&](const TempDir& d) {
         remove(d / L"App/Bin/Tavo.exe"), tavo::test::make_directories(d / L"App/Bin/Tavo.exe");
       },
       false},
      {"TavoDrv.dll is a folder",
       [&](const TempDir& d) {
         remove(d / L"App/Bin/TavoDrv.dll"), tavo::test::make_directories(d / L"App/Bin/TavoDrv.dll");
       },
       false},
      {"no TavoDrv.dll", [&](const TempDir& d) { remove(d / L"App/Bin/TavoDrv.dll"); }, false},
      {"no App folder", [&](const TempDir& d) { remove(d / L"App"); }, false},
      {"App is a file", [&](const TempDir& d) { remove(d / L"App"), tavo::test::write_file(d / L"App", ""); }, false},
      {"empty driver and program files count",
       [&](const TempDir& d) {
         tavo::test::write_file(d / L"App/Bin/Tavo.exe", ""), tavo::test::write_file(d / L"App/Bin/TavoDrv.dll", "");
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    TempDir dir;
    make_original_software(dir);
    c.change(dir);
    EXPECT_EQ(has_original_software(dir.path()), c.expected);
  }
}

TEST(HasOriginalSoftware, MissingFolderIsNoError) {
  TempDir dir;
  EXPECT_FALSE(has_original_software(dir / L"Originalsoftware"));
}

std::string gate_outcome(const fs::Path& source_dir) {
  try {
    check_driver_dll_version(source_dir);
    return "accepted";
  } catch (const Error& e) {
    return e.what();
  }
}

TEST(CheckDriverDllVersion, OnlyTheTwoKnownBuildsPass) {
  const auto original = test::original_driver_dll_bytes();
  const auto patched = test::patched_driver_dll_bytes();
  if (!original || !patched) GTEST_SKIP() << test::kFixtureDigestsSkipReason;
  struct Case {
    const char* title;
    std::string dll;
    const char* expected;
  };
  const Case cases[] = {
      {"original build", *original, "accepted"},
      {"patched build", *patched, "accepted"},
      {"empty file", "", "Unsupported TavoDrv.dll version"},
      {"one byte more", *original + "x", "Unsupported TavoDrv.dll version"},
      {"another build", "MZ another build", "Unsupported TavoDrv.dll version"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    TempDir dir;
    tavo::test::write_file(dir / L"App/Bin/TavoDrv.dll", c.dll);
    EXPECT_EQ(gate_outcome(dir.path()), c.expected);
  }
}

TEST(CheckDriverDllVersion, UnreadableDllIsAReadFailure) {
  TempDir dir;
  EXPECT_EQ(gate_outcome(dir.path()), "Cannot read input file");
  tavo::test::make_directories(dir / L"App/Bin/TavoDrv.dll");
  EXPECT_EQ(gate_outcome(dir.path()), "Cannot read input file");
}

}  // namespace
}  // namespace tavo::verify
