#include "fs/containment.hpp"

namespace tavo::fs {

bool lies_within_on_disk(const HeldFolder& folder, const HeldFolder& tree) {
  bool within = false;
  (void)detail::search_on_disk(folder, tree, false, within);
  return within;
}

std::error_code lies_within_on_disk(const HeldFolder& folder, const HeldFolder& tree, bool& within) {
  bool found = false;
  const std::error_code error = detail::search_on_disk(folder, tree, true, found);
  if (!error || found) within = found;
  return found ? std::error_code() : error;
}

}  // namespace tavo::fs
