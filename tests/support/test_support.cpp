#include "support/test_support.hpp"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "common/utf8.hpp"
#include "tavo/build_config.hpp"

namespace tavo::test {

std::filesystem::path std_path(const fs::Path& path) {
  if constexpr (build_config::windows) return std::filesystem::path(path.text());
  return std::filesystem::path(utf8_from_wide(path.text()));
}

fs::Path from_std(const std::filesystem::path& path) {
  if constexpr (build_config::windows) return fs::Path(path.wstring());
  return fs::Path(wide_from_utf8(path.string()));
}

TempDir::TempDir(std::wstring_view name_suffix) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const std::wstring name = L"tavo-test-" + std::to_wstring(random()) + L"-" + std::to_wstring(stamp % 100000) +
                            L"-" + std::to_wstring(counter++) + std::wstring(name_suffix);
  path_ = fs::join(from_std(std::filesystem::temp_directory_path()), name);
  std::filesystem::create_directories(std_path(path_));
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Read-only leftovers of a test must not keep the folder alive.
  for (auto it = std::filesystem::recursive_directory_iterator(std_path(path_), ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
  }
  std::filesystem::remove_all(std_path(path_), ignored);
}

void write_file(const fs::Path& path, std::string_view bytes) {
  const std::filesystem::path p = std_path(path);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("test: cannot write " + utf8_from_wide(path.text()));
}

std::string read_file(const fs::Path& path) {
  std::ifstream in(std_path(path), std::ios::binary);
  if (!in) throw std::runtime_error("test: cannot read " + utf8_from_wide(path.text()));
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool exists(const fs::Path& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::symlink_status(std_path(path), ignored));
}

void make_directories(const fs::Path& path) { std::filesystem::create_directories(std_path(path)); }

}  // namespace tavo::test
