#pragma once
// The door for the archive library: its opening and closing of an archive touch the file system (the close
// reads every file added and writes the archive), so they pass the gate like every other such call.

#include <zip.h>

#include "sys/gate.hpp"

namespace tavo::sys {

// A refused open reports ZIP_ER_OPEN in *error.
inline zip_t* zip_open(const char* path, int flags, int* error) noexcept {
  if (refused("zip_open")) {
    if (error != nullptr) *error = ZIP_ER_OPEN;
    return nullptr;
  }
  return ::zip_open(path, flags, error);
}

// A refused close leaves the archive open and unwritten, as a failed one does.
inline int zip_close(zip_t* archive) noexcept { return refused("zip_close") ? -1 : ::zip_close(archive); }

}  // namespace tavo::sys
