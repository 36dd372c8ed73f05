#pragma once
// RAII owners of POSIX descriptors. POSIX build only.

#include <dirent.h>
#include <unistd.h>

#include "common/unique_resource.hpp"

namespace tavo::posix {

using UniqueFd = UniqueAny<int, &::close, -1>;
using UniqueDir = UniqueAny<DIR*, &::closedir>;

}  // namespace tavo::posix
