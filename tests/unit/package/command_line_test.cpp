#include "package/command_line.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tavo/build_config.hpp"

namespace tavo::package {
namespace {

// A command line as text, and what it reads as ("refused", or the action with its operands).
std::string reading(const std::vector<std::wstring>& arguments) {
  const std::optional<Command> command = read_command_line(arguments);
  if (!command) return "refused";
  switch (command->action) {
    case Action::help:
      return "help";
    case Action::manifest:
      return std::string(command->payload ? "manifest payload " : "manifest ") +
             std::string(command->folder.text().begin(), command->folder.text().end());
    case Action::check:
      return "check " + std::string(command->folder.text().begin(), command->folder.text().end());
    case Action::release:
      return "release " + std::string(command->folder.text().begin(), command->folder.text().end()) + " " +
             std::string(command->archive.text().begin(), command->archive.text().end());
  }
  return "?";
}

TEST(PackageCommandLine, ReadsTheThreeCommands) {
  const std::string release_pkg = build_config::windows ? "refused" : "release pkg out.zip";
  const struct {
    std::vector<std::wstring> arguments;
    std::string expected;
  } cases[] = {
      {{}, "refused"},
      {{L"--help"}, "help"},
      {{L"check", L"pkg", L"--help"}, "help"},
      {{L"manifest", L"dir"}, "manifest dir"},
      {{L"manifest", L"--payload", L"dir"}, "manifest payload dir"},
      {{L"manifest", L"dir", L"--payload"}, "manifest payload dir"},
      {{L"manifest", L"--payload", L"--payload", L"dir"}, "refused"},
      {{L"manifest"}, "refused"},
      {{L"manifest", L"a", L"b"}, "refused"},
      {{L"manifest", L"--verbose", L"dir"}, "refused"},
      {{L"manifest", L""}, "refused"},
      {{L"check", L"pkg"}, "check pkg"},
      {{L"check", L"--payload", L"pkg"}, "refused"},
      {{L"check"}, "refused"},
      {{L"release", L"pkg", L"out.zip"}, release_pkg},
      {{L"release", L"pkg"}, "refused"},
      {{L"pack", L"pkg"}, "refused"},
      {{L"Check", L"pkg"}, "refused"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(reading(c.arguments), c.expected) << "case " << (&c - cases);
  }
}

TEST(PackageCommandLine, ARefusalSaysWhatWasRefused) {
  const std::string release = build_config::windows
                                  ? "release: archives are made by the Linux build of the package tool (tavo-package)"
                                  : "";
  const struct {
    std::vector<std::wstring> arguments;
    std::string expected;
  } cases[] = {
      {{}, "no command given"},
      {{L"bogus", L"pkg"}, "unknown command \"bogus\""},
      {{L"Check", L"pkg"}, "unknown command \"Check\""},
      {{L"check", L"--payload", L"pkg"}, "check: unknown option \"--payload\""},
      {{L"manifest", L""}, "manifest: an empty argument"},
      {{L"check"}, "check: one folder needed, 0 given"},
      {{L"manifest", L"a", L"b"}, "manifest: one folder needed, 2 given"},
      {{L"release", L"pkg", L"out.zip"}, release},
      {{L"check", L"pkg"}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(refusal_text(c.arguments), c.expected) << "case " << (&c - cases);
    EXPECT_EQ(read_command_line(c.arguments).has_value(), c.expected.empty()) << "case " << (&c - cases);
  }
  if (!build_config::windows) {
    EXPECT_EQ(refusal_text({L"release", L"pkg"}), "release: a folder and an archive needed, 1 given");
  }
}

TEST(PackageCommandLine, UsageNamesEveryCommandOfThisBuild) {
  const std::string usage = usage_text();
  EXPECT_NE(usage.find(" manifest [--payload] <folder>"), std::string::npos);
  EXPECT_NE(usage.find(" check <package-folder>"), std::string::npos);
  EXPECT_EQ(usage.find(" release <package-folder> <archive.zip>") != std::string::npos, !build_config::windows);
}

}  // namespace
}  // namespace tavo::package
