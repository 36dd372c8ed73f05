#pragma once

#include <cstddef>

#include "fs/path.hpp"
#include "package/problems.hpp"
#include "package/progress.hpp"

namespace tavo::package {

enum class ManifestFolder { software, payload };

// Writes `folder`'s "SHA256SUMS.txt" in the layout that the setup reads: one line "<sha256>  <name>" for every
// regular file below the folder except the manifest itself, names relative to the folder with "/", UTF-8,
// sorted by their bytes, each line ended by LF. A payload folder must hold exactly the seven payload files.
// Whatever the setup would refuse or a line cannot hold goes into `problems`, with the file it concerns, and
// then nothing is written: the old manifest stays as it was. Returns the number of files listed.
std::size_t write_manifest(const fs::Path& folder, ManifestFolder kind, Progress& progress, ProblemList& problems);

}  // namespace tavo::package
