#include "package/package_tool.hpp"

#include <exception>
#include <optional>

#include "common/error.hpp"
#include "common/progress.hpp"
#include "common/utf8.hpp"
#include "fs/path.hpp"
#include "package/command_line.hpp"
#include "package/manifest_writer.hpp"
#include "package/package_check.hpp"
#include "package/problems.hpp"
#include "package/progress.hpp"
#include "package/release.hpp"
#include "verify/package_layout.hpp"

namespace tavo::package {
namespace {

std::string shown(const fs::Path& path) { return utf8_from_wide(path.text()); }

// Runs the command; what it finds wrong with the package goes into `problems`. Returns the line that reports
// success.
std::string run_command(const Command& command, Progress& progress, ProblemList& problems) {
  switch (command.action) {
    case Action::manifest: {
      const ManifestFolder kind = command.payload ? ManifestFolder::payload : ManifestFolder::software;
      const std::size_t count = write_manifest(command.folder, kind, progress, problems);
      return "wrote " + shown(fs::join(command.folder, verify::kManifestName)) + ": " + std::to_string(count) + " files";
    }
    case Action::check:
      check_package(command.folder, progress, problems);
      return "the setup accepts the package " + shown(command.folder);
    case Action::release: {
      const Released released = release_package(command.folder, command.archive, progress, problems);
      std::string said;
      for (const std::wstring& entry : released.left_out) {
        said += "left out " + utf8_from_wide(entry) + " (a test run's result or staging folder)\n";
      }
      return said + "wrote " + shown(command.archive) + ": " + std::to_string(released.files) + " files";
    }
    case Action::help:
      break;
  }
  return usage_text();
}

}  // namespace

int run_package_tool(const std::vector<std::wstring>& arguments, const Console& console) {
  const std::optional<Command> command = read_command_line(arguments);
  if (!command) {
    console.err << refusal_text(arguments) << '\n' << usage_text();
    return 2;
  }
  if (command->action == Action::help) {
    console.out << usage_text();
    return 0;
  }

  Progress progress(console.err, console.err_is_terminal);
  ProblemList problems;
  std::string done;
  try {
    const progress::Listening listening(progress);  // the digests report their bytes to it
    done = run_command(*command, progress, problems);
  } catch (const Error& failure) {
    progress.finish();
    console.err << "failed: " << message_with_reason(failure) << '\n';
    return 1;
  } catch (const std::exception& failure) {
    progress.finish();
    console.err << "failed: " << failure.what() << '\n';
    return 1;
  }
  progress.finish();
  for (const Problem& problem : problems.all()) console.out << problem.file << ": " << problem.message << '\n';
  if (!problems.empty()) {
    const std::size_t count = problems.all().size();
    console.out << count << (count == 1 ? " problem" : " problems")
                << (command->action == Action::check ? ": the setup refuses this package\n" : "; nothing written\n");
    return 1;
  }
  console.out << done << '\n';
  return 0;
}

}  // namespace tavo::package
