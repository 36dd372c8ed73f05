#pragma once
// Durable before visible: what the setup wrote reaches the disk before a rename makes it visible, so a power
// cut right after "OK" cannot leave a target whose marker says complete over empty or partial files.

#include "fs/path.hpp"

namespace tavo::fs {

// Makes every file below `folder` durable: natively one syncfs of the folder's file system (cheaper than a
// flush per file, and the rename's own metadata comes with it); on Windows each file's data written out
// without the storage's cache flush (NtFlushBuffersFileEx, FLUSH_FLAGS_NO_SYNC), then one FlushFileBuffers
// that flushes the storage's cache once for all of them.
// Raises FileSystemError "flush" with the path that failed.
void flush_tree(const Path& folder);

}  // namespace tavo::fs
