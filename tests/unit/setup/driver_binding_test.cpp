#include "setup/driver_binding.hpp"
#include "setup/logged_process.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "common/error.hpp"
#include "stand_in_tools.hpp"
#include "support/test_support.hpp"
#include "tavo/build_config.hpp"

namespace tavo::setup {
namespace {

using test::TempDir;

std::string native(const fs::Path& path) { return test::std_path(path).u8string(); }

// A finished installation as far as the device check sees it: the tool, the installer and the "Logs" folder.
class DriverBinding : public ::testing::Test {
 protected:
  fs::Path tool() const { return fs::join(target, L"Treiber/device_binding.exe"); }
  fs::Path installer() const { return fs::join(target, L"TAVO-Treiber-installieren.exe"); }
  fs::Path log() const { return fs::join(target, L"Logs/treiberpruefung.txt"); }

  void install(const std::optional<std::string>& check_exit, const std::optional<std::string>& installer_exit) {
    test::place_tool(tool(), check_exit);
    if (installer_exit) test::place_tool(installer(), *installer_exit);
    test::make_directories(fs::join(target, L"Logs"));
  }

  // The binding's status; a raised error fails the test with its reason (the system's code of a failed start).
  std::uint32_t binding() {
    try {
      return ensure_driver_binding(target);
    } catch (const Error& failure) {
      ADD_FAILURE() << message_with_reason(failure);
      throw;
    }
  }

  void require_silent_elevation() {
    if (!test::elevation_without_prompt()) GTEST_SKIP() << "starting the installer elevated would ask for consent";
  }

  TempDir dir;
  fs::Path target = dir / L"Ziel";
};

TEST_F(DriverBinding, ReadyBindingStartsNoInstaller) {
  install("0", "7");
  EXPECT_EQ(binding(), 0u);
  EXPECT_EQ(test::tool_calls(tool()).size(), 1u);
  EXPECT_TRUE(test::tool_calls(installer()).empty());
}

struct InstallerCase {
  const char* check_exit;
  std::optional<std::string> installer_exit;  // nothing: no installer in the target
  std::uint32_t final_status;
  std::size_t installer_starts;
};

TEST_F(DriverBinding, InstallerDecidesWhenTheBindingIsMissing) {
  require_silent_elevation();
  const InstallerCase cases[] = {
      {"3", "0", 0, 1},
      {"3", "5", 5, 1},
      {"1", "0", 0, 1},
  };
  for (const InstallerCase& c : cases) {
    TempDir case_dir;
    target = case_dir / L"Ziel";
    install(c.check_exit, c.installer_exit);
    SCOPED_TRACE(std::string("check ") + c.check_exit + ", installer " + c.installer_exit.value_or("missing"));
    EXPECT_EQ(binding(), c.final_status);
    EXPECT_EQ(test::tool_calls(tool()).size(), 1u) << "the check runs once, not again after the installer";
    ASSERT_EQ(test::tool_calls(installer()).size(), c.installer_starts);
    if (c.installer_starts == 1) {
      const test::ToolCall call = test::tool_calls(installer()).front();
      EXPECT_TRUE(call.arguments.empty());
      // The installer starts in the setup's current folder, not in the target.
      EXPECT_EQ(std::filesystem::path(std::filesystem::u8path(call.cwd)), std::filesystem::current_path());
    }
  }
}

TEST_F(DriverBinding, MissingInstallerKeepsTheChecksCode) {
  require_silent_elevation();
  if (test::shell_shows_launch_errors()) {
    GTEST_SKIP() << "the shell's error box for the missing installer would wait for somebody";
  }
  install("3", std::nullopt);
  EXPECT_EQ(binding(), 3u);  // the launch fails: the check's code stays
  EXPECT_EQ(test::tool_calls(tool()).size(), 1u);
}

TEST_F(DriverBinding, LogHoldsExactlyTheToolsOutputOfTheLatestRun) {
  install("0", std::nullopt);
  test::write_file(log(), std::string(10000, 'x') + "\nold run\n");
  EXPECT_EQ(binding(), 0u);
  EXPECT_EQ(test::read_file(log()), test::tool_output(tool()));
  test::wait_until_log_released(log());
  EXPECT_EQ(binding(), 0u);
  EXPECT_EQ(test::read_file(log()), test::tool_output(tool()));
}

TEST_F(DriverBinding, ToolStartsInItsOwnFolderWithOneArgumentAndNullInput) {
  target = dir / L"Mein Ziel mit Leerzeichen";
  install("0", std::nullopt);
  EXPECT_EQ(binding(), 0u);
  const std::vector<test::ToolCall> calls = test::tool_calls(tool());
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].arguments, std::vector<std::string>{"--check-tavo"});
  EXPECT_EQ(calls[0].cwd, native(fs::join(target, L"Treiber")));
  EXPECT_EQ(calls[0].stdin_state, "null");
  if constexpr (build_config::windows) {
    // Quoted program with the joined forward slash as it stands, the argument unquoted.
    EXPECT_EQ(calls[0].command_line, "\"" + native(target) + "\\Treiber/device_binding.exe\" --check-tavo");
  }
}

TEST_F(DriverBinding, MissingToolIsReportedAfterAnEmptyLogWasCreated) {
  test::make_directories(fs::join(target, L"Logs"));
  test::write_file(log(), "earlier output\n");
  const auto error = tavo::test::raised<Error>([&] { ensure_driver_binding(target); });
  ASSERT_TRUE(error);
  EXPECT_STREQ(error->what(), "Cannot start device helper");
  // The system's code for the log (natively ENOENT; Windows names the missing folder to start in first).
  EXPECT_EQ(error->reason().rfind(build_config::windows ? "267 (" : "2 (", 0), 0u) << error->reason();
  ASSERT_TRUE(test::exists(log()));
  EXPECT_EQ(test::read_file(log()), "");
}

TEST_F(DriverBinding, FileThatIsNoProgramCannotBeStarted) {
  test::write_file(tool(), "not a program\n");
  test::make_directories(fs::join(target, L"Logs"));
  const auto error = tavo::test::raised<Error>([&] { ensure_driver_binding(target); });
  ASSERT_TRUE(error);
  EXPECT_STREQ(error->what(), "Cannot start device helper");
  EXPECT_EQ(test::read_file(log()), "");
}

TEST_F(DriverBinding, MissingLogsFolderStartsNothing) {
  test::place_tool(tool(), "3");
  test::place_tool(installer(), "0");
  const auto error = tavo::test::raised<Error>([&] { ensure_driver_binding(target); });
  ASSERT_TRUE(error);
  EXPECT_STREQ(error->what(), "Cannot create installation log");
  EXPECT_TRUE(test::tool_calls(tool()).empty());
  EXPECT_TRUE(test::tool_calls(installer()).empty());
  EXPECT_FALSE(test::exists(fs::join(target, L"Logs")));
}

TEST(RunLoggedProcess, ReturnsTheExitCodeAndWritesOnlyTheOutput) {
  TempDir dir;
  const fs::Path program = dir / (build_config::windows ? L"bin/helper.exe" : L"bin/helper");
  const fs::Path log = dir / L"helper.log";
  for (const char* code : {"0", "1", "42", "255"}) {
    test::place_tool(program, code);
    EXPECT_EQ(run_logged_process(program, L"--any thing", log), static_cast<std::uint32_t>(std::stoul(code)));
    EXPECT_EQ(test::read_file(log), test::tool_output(program));
    std::filesystem::remove(test::std_path(program));
    test::wait_until_log_released(log);
  }
  const std::vector<test::ToolCall> calls = test::tool_calls(program);
  ASSERT_EQ(calls.size(), 4u);
  // The argument is passed as one text; only Windows splits the command line, at the blank.
  if constexpr (build_config::windows) {
    EXPECT_EQ(calls[0].arguments, (std::vector<std::string>{"--any", "thing"}));
  } else {
    EXPECT_EQ(calls[0].arguments, std::vector<std::string>{"--any thing"});
  }
}

}  // namespace
}  // namespace tavo::setup
