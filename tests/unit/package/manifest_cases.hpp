#pragma once
// Folders for the manifest writer's tests, and the run of one refusal case.

#include <functional>
#include <optional>
#include <string>

#include "fs/path.hpp"
#include "package/manifest_writer.hpp"

namespace tavo::package::test {

// The patched driver DLL of tests/fixtures/driver when this build knows its digest; nothing otherwise.
std::optional<std::string> patched_driver_dll();

// A software folder of `count` plain files, or a payload folder of the seven payload files.
void make_software_folder(const fs::Path& dir, int count);
void make_payload_folder(const fs::Path& dir, const std::string& patched_dll);

// Runs write_manifest and returns its problems, one "<file>: <message>" line each.
std::string manifest_problems(const fs::Path& dir, ManifestFolder kind);

// A change that makes a good folder refused, and the problems expected of it.
struct RefusalCase {
  const char* title;
  ManifestFolder kind;
  std::function<void(const fs::Path& dir)> change;
  std::string expected;
};

// Builds the good folder with an old manifest, makes the change, and expects the problems, the old manifest
// unchanged and no file left behind by the run.
void expect_refusal(const RefusalCase& refusal);

}  // namespace tavo::package::test
