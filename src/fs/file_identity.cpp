#include "fs/file_identity.hpp"

namespace tavo::fs {
namespace {

class FileCheckCategory final : public std::error_category {
 public:
  const char* name() const noexcept override { return "tavo.file_check"; }
  std::string message(int) const override { return "The file changed after it was checked"; }
};

}  // namespace

std::error_code changed_since_hash() noexcept {
  static const FileCheckCategory category;
  return {1, category};
}

void HashedFiles::add(std::wstring_view place, const Fingerprint& fingerprint) {
  files_.insert_or_assign(comparable_place(place), fingerprint);
}

const Fingerprint* HashedFiles::find(std::wstring_view place) const {
  const auto found = files_.find(comparable_place(place));
  return found != files_.end() ? &found->second : nullptr;
}

}  // namespace tavo::fs
