// The door of the test build: a hook runs just before the chosen call, once; the fault switch fails the chosen
// call with the chosen error; what a hook raises reaches the test.
#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>
#include <string>

#include "common/system_error.hpp"
#include "fs/file_operations.hpp"
#include "fs/filesystem_error.hpp"
#include "support/test_support.hpp"
#include "sys/door_control.hpp"
#include "tavo/build_config.hpp"

namespace tavo {
namespace {

const std::string kMakeFolder = build_config::windows ? "CreateDirectoryW" : "mkdir";

class Door : public ::testing::Test {
 protected:
  void TearDown() override {
    sys::test::clear_hooks();
    fault::arm({});
  }
  test::TempDir dir_;
};

TEST_F(Door, HookRunsJustBeforeTheChosenCallAndOnlyOnce) {
  int runs = 0;
  sys::test::before_call(kMakeFolder, 2, [&] {
    ++runs;
    test::write_file(dir_ / L"b", "placed just before the call");
  });
  fs::create_directory(dir_ / L"a");
  EXPECT_EQ(runs, 0);
  // The second folder's creation meets the file that the hook placed at its name.
  const auto error = test::raised<fs::FileSystemError>([&] { fs::create_directory(dir_ / L"b"); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code(), std::errc::file_exists);
  EXPECT_EQ(runs, 1);
  fs::create_directory(dir_ / L"c");
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(test::read_file(dir_ / L"b"), "placed just before the call");
}

TEST_F(Door, FaultSwitchFailsThePlannedCallWithThePlannedError) {
  const int error = build_config::windows ? 112 : ENOSPC;  // ERROR_DISK_FULL
  fault::arm({});
  fs::create_directory(dir_ / L"a");
  const long calls_per_folder = fault::calls();
  ASSERT_GE(calls_per_folder, 1);
  EXPECT_EQ(sys::test::count_of(kMakeFolder), 1);

  fault::arm({calls_per_folder, false, error});
  const auto raised = test::raised<fs::FileSystemError>([&] { fs::create_directory(dir_ / L"b"); });
  ASSERT_TRUE(raised);
  EXPECT_EQ(raised->code(), system_error_code(error));
  EXPECT_TRUE(fault::fired());
  EXPECT_EQ(fault::failed_call(), kMakeFolder);
  EXPECT_FALSE(test::exists(dir_ / L"b"));
}

TEST_F(Door, WhatAHookRaisesReachesTheTest) {
  sys::test::before_call(kMakeFolder, 1, [] { throw std::runtime_error("hook failed"); });
  fs::create_directory(dir_ / L"a");  // the run goes on: the hook's failure is the test's, not the program's
  EXPECT_TRUE(test::exists(dir_ / L"a"));
  EXPECT_EQ(test::message_raised<std::runtime_error>([] { sys::test::clear_hooks(); }), "hook failed");
}

}  // namespace
}  // namespace tavo
