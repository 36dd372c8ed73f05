#include "fs/file_holders.hpp"

namespace tavo::fs {

// Nothing here names the programs that hold a file open, nor does any of them block a rename.
std::vector<std::wstring> file_holders(const Path&) noexcept { return {}; }

}  // namespace tavo::fs
