#include "setup/child_process_posix.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>

#include "common/error.hpp"
#include "setup/driver_binding.hpp"
#include "setup/logged_process.hpp"
#include "setup/elevation_command_posix.hpp"
#include "stand_in_tools.hpp"
#include "support/test_support.hpp"

namespace tavo::setup {
namespace {

using test::TempDir;

TEST(ExitCodeOf, ChildsOwnCodeOr128PlusTheSignal) {
  EXPECT_EQ(exit_code_of(0), 0u);
  EXPECT_EQ(exit_code_of(3 << 8), 3u);
  EXPECT_EQ(exit_code_of(255 << 8), 255u);
  EXPECT_EQ(exit_code_of(SIGKILL), 137u);
  EXPECT_EQ(exit_code_of(SIGSEGV | 0x80), 139u);  // with a core dump
}

TEST(RunLoggedProcessPosix, ToolEndedByASignalCountsAsNotReady) {
  TempDir dir;
  const fs::Path program = dir / L"helper";
  test::place_tool(program, "signal 9");
  EXPECT_EQ(run_logged_process(program, L"--check-tavo", dir / L"log.txt"), 137u);
  EXPECT_EQ(test::read_file(dir / L"log.txt"), test::tool_output(program));
}

TEST(RunLoggedProcessPosix, RelativeProgramIsFoundFromTheCallersFolder) {
  TempDir dir;
  test::place_tool(dir / L"sub/helper", "4");
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(test::std_path(dir.path()));
  std::uint32_t code = 0;
  EXPECT_NO_THROW(code = run_logged_process(fs::Path(L"sub/helper"), L"--check-tavo", fs::Path(L"log.txt")));
  std::filesystem::current_path(before);
  EXPECT_EQ(code, 4u);
  ASSERT_EQ(test::tool_calls(dir / L"sub/helper").size(), 1u);
  EXPECT_EQ(test::tool_calls(dir / L"sub/helper")[0].cwd, test::std_path(dir / L"sub").string());
}

TEST(RunLoggedProcessPosix, ProgramWithoutExecutePermissionCannotStart) {
  TempDir dir;
  test::place_tool(dir / L"helper");
  ::chmod(test::std_path(dir / L"helper").c_str(), 0644);
  EXPECT_THROW(run_logged_process(dir / L"helper", L"--check-tavo", dir / L"log.txt"), Error);
  EXPECT_EQ(test::read_file(dir / L"log.txt"), "");
}

TEST(ElevationCommand, RootRunsTheProgramItself) {
  EXPECT_EQ(elevation_command("/t/TAVO-Treiber-installieren.exe", true, nullptr),
            std::vector<std::string>{"/t/TAVO-Treiber-installieren.exe"});
}

TEST(ElevationCommand, OthersGoThroughPkexecOnTheSearchPath) {
  TempDir dir;
  test::place_tool(dir / L"bin/pkexec");
  test::place_tool(dir / L"plain/pkexec");
  ::chmod(test::std_path(dir / L"plain/pkexec").c_str(), 0644);  // not executable: skipped
  const std::string bin = test::std_path(dir / L"bin").string();
  const std::string plain = test::std_path(dir / L"plain").string();

  struct Case {
    std::string path;
    std::vector<std::string> command;
  };
  const Case cases[] = {
      {bin, {bin + "/pkexec", "/t/i.exe"}},
      {bin + "/", {bin + "/pkexec", "/t/i.exe"}},
      {"/nowhere:" + plain + ":" + bin, {bin + "/pkexec", "/t/i.exe"}},
      {plain, {}},
      {"", {}},
      {"/nowhere", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(elevation_command("/t/i.exe", false, c.path.c_str()), c.command) << "PATH=" << c.path;
  }
  EXPECT_TRUE(elevation_command("/t/i.exe", false, nullptr).empty());
}

TEST(ElevationCommand, RelativeSearchPathEntriesAreNotTrusted) {
  TempDir dir;
  test::place_tool(dir / L"pkexec");
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(test::std_path(dir.path()));
  const std::vector<std::string> from_empty = elevation_command("/t/i.exe", false, ":");
  const std::vector<std::string> from_dot = elevation_command("/t/i.exe", false, ".");
  std::filesystem::current_path(before);
  EXPECT_TRUE(from_empty.empty());
  EXPECT_TRUE(from_dot.empty());
}

}  // namespace
}  // namespace tavo::setup
