#pragma once
// Small helpers for tests: a temporary folder and plain file access in both builds.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "fs/path.hpp"

namespace tavo::test {

std::filesystem::path std_path(const fs::Path& path);
fs::Path from_std(const std::filesystem::path& path);

// A fresh folder under the system's temporary folder, removed with everything in it at the end of the test.
class TempDir {
 public:
  explicit TempDir(std::wstring_view name_suffix = L"");
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  const fs::Path& path() const noexcept { return path_; }
  fs::Path operator/(std::wstring_view rel) const { return fs::join(path_, rel); }

 private:
  fs::Path path_;
};

void write_file(const fs::Path& path, std::string_view bytes);  // creates missing parent folders
std::string read_file(const fs::Path& path);                      // throws when it cannot be read
bool exists(const fs::Path& path);
void make_directories(const fs::Path& path);

// The error of type E that `operation` raises; nothing, and a test failure, when it raises none.
template <typename E, typename Operation>
std::optional<E> raised(Operation&& operation) {
  try {
    operation();
  } catch (const E& e) {
    return e;
  }
  ADD_FAILURE() << "no error raised";
  return std::nullopt;
}

// The message of the error of type E that `operation` raises; `if_none` when it raises none (no test failure:
// tables of cases use it for outcomes that may be a success).
template <typename E, typename Operation>
std::string message_raised(Operation&& operation, std::string_view if_none = {}) {
  try {
    operation();
  } catch (const E& e) {
    return e.what();
  }
  return std::string(if_none);
}

}  // namespace tavo::test
