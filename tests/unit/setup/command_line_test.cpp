#include <gtest/gtest.h>

#include "setup/command_line.hpp"
#include "tavo/build_config.hpp"

namespace tavo::setup {
namespace {

using Args = std::vector<std::wstring>;

TEST(CommandLine, RefusesWhatItDoesNotKnow) {
  const Args refused[] = {
      {L"--target"},
      {L"--source"},
      {L"--prepare-only", L"--target"},
      {L"--Prepare-Only"},
      {L"--target=D:\\x"},
      {L"-t", L"D:\\x"},
      {L"--help"},
      {L"/?"},
      {L""},
      {L"--target", L"D:\\x", L"extra"},
      {L"--log"},
  };
  for (const Args& args : refused) {
    EXPECT_FALSE(scan_command_line(args).has_value()) << testing::PrintToString(args.size()) << " arguments";
  }
}

struct Accepted {
  Args args;
  bool prepare_only;
  std::wstring target;
};

TEST(CommandLine, AcceptsOptionsAndTheirValues) {
  const Accepted cases[] = {
      {{}, false, L""},
      {{L"--prepare-only"}, true, L""},
      {{L"--prepare-only", L"--prepare-only"}, true, L""},
      {{L"--target", L"D:\\Ziel"}, false, L"D:\\Ziel"},
      {{L"--target", L"D:\\Erst", L"--target", L"E:\\Dann"}, false, L"E:\\Dann"},
      {{L"--target", L"D:\\Erst", L"--target", L""}, false, L""},
      {{L"--target", L"--prepare-only"}, false, L"--prepare-only"},
      {{L"--source", L"--target"}, false, L""},
      {{L"--source", L"X:\\anders", L"--prepare-only", L"--target", L"Ziel"}, true, L"Ziel"},
      {{L"--target", L"C:\\Users\\J\u00fcrgen Wei\u00df\\Documents\\TAVO"}, false,
       L"C:\\Users\\J\u00fcrgen Wei\u00df\\Documents\\TAVO"},
  };
  for (const Accepted& c : cases) {
    const auto scanned = scan_command_line(c.args);
    ASSERT_TRUE(scanned.has_value()) << c.args.size() << " arguments";
    EXPECT_EQ(scanned->prepare_only, c.prepare_only);
    EXPECT_EQ(scanned->target, c.target);
  }
}

TEST(CommandLine, ARefusalSaysWhatWasRefusedAndKeepsTheLogPlace) {
  struct Case {
    Args args;
    std::string reason;
    std::wstring log;
  };
  const Case cases[] = {
      {{L"--bogus"}, "unknown argument \"--bogus\"", L""},
      {{L"--log", L"D:\\lauf.log", L"--verbose", L"--help"}, "unknown argument \"--verbose\"", L"D:\\lauf.log"},
      {{L"--verbose", L"--log", L"D:\\lauf.log"}, "unknown argument \"--verbose\"", L"D:\\lauf.log"},
      {{L"--log", L"D:\\lauf.log", L"--target"}, "\"--target\" without a value", L"D:\\lauf.log"},
      {{L"--prepare-only", L"--log"}, "\"--log\" without a value", L""},
  };
  for (const Case& c : cases) {
    Refusal refusal;
    EXPECT_FALSE(scan_command_line(c.args, &refusal).has_value());
    EXPECT_EQ(refusal.reason, c.reason);
    EXPECT_EQ(refusal.log, c.log) << c.reason;
  }
}

TEST(CommandLine, TheLastLogPlaceCounts) {
  const auto scanned =
      scan_command_line({L"--log", L"erst.log", L"--prepare-only", L"--log", L"D:\\Protokolle\\dann.log"});
  ASSERT_TRUE(scanned.has_value());
  EXPECT_EQ(scanned->log, L"D:\\Protokolle\\dann.log");
  EXPECT_TRUE(scanned->prepare_only);
  // A value is taken whatever it looks like, as the target's is.
  EXPECT_EQ(scan_command_line({L"--target", L"--log"})->target, L"--log");
  EXPECT_EQ(scan_command_line({L"--log", L"--target"})->log, L"--target");
}

TEST(CommandLine, QuotationMarkInTheTargetIsRefusedOnWindows) {
  // --target "D:\Ziel\" reaches the program as D:\Ziel" (a backslash before a quote escapes it).
  for (const Args& args : {Args{L"--target", L"D:\\Ziel\""}, Args{L"--target", L"D:\\Ziel\" --prepare-only"}}) {
    EXPECT_EQ(scan_command_line(args).has_value(), !build_config::windows);
  }
  EXPECT_TRUE(scan_command_line({L"--source", L"D:\\Quelle\"", L"--target", L"D:\\Ziel"}).has_value());
}

}  // namespace
}  // namespace tavo::setup
