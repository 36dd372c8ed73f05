#pragma once
// RAII owners of POSIX descriptors. POSIX build only.

#include <dirent.h>
#include <unistd.h>

#include "common/unique_resource.hpp"

namespace tavo::posix {

struct FdTraits {
  using type = int;
  static type invalid() noexcept { return -1; }
  static void close(type fd) noexcept { ::close(fd); }
};
using UniqueFd = UniqueResource<FdTraits>;

struct DirTraits {
  using type = DIR*;
  static type invalid() noexcept { return nullptr; }
  static void close(type d) noexcept { ::closedir(d); }
};
using UniqueDir = UniqueResource<DirTraits>;

}  // namespace tavo::posix
