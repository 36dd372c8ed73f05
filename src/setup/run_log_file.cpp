#include "setup/run_log_file.hpp"

#include "fs/containment.hpp"
#include "fs/file_status.hpp"
#include "fs/held_folder.hpp"
#include "fs/path_forms.hpp"

namespace tavo::setup {

bool lies_in_any(const fs::Path& file, const std::vector<fs::Path>& trees) {
  for (const fs::Path& tree : trees) {
    if (fs::is_within(file, tree)) return true;
  }
  // A folder that cannot be opened cannot take the log either: its creation fails and says why.
  fs::HeldFolder folder;
  if (fs::HeldFolder::open(fs::parent(file), folder)) return false;
  for (const fs::Path& tree : trees) {
    fs::HeldFolder held_tree;
    if (fs::HeldFolder::open(tree, held_tree)) continue;  // a tree that is not there holds nothing
    if (fs::lies_within_on_disk(folder, held_tree)) return true;
  }
  return false;
}

RunLogFile::RunLogFile() noexcept : start_(std::chrono::steady_clock::now()) {}

RunLogFile::~RunLogFile() {
  if (file_) (void)file_->close();
}

void RunLogFile::line(std::string_view text) noexcept {
  if (decided_ && !file_) return;
  try {
    // Seconds since the start, right-aligned so that the events stand in one column.
    const std::string time = run_log::seconds_text(std::chrono::steady_clock::now() - start_);
    std::string entry(time.size() < 8 ? 8 - time.size() : 0, ' ');
    entry += time;
    entry.push_back(' ');
    entry.append(text);
    entry.push_back('\n');
    if (decided_) {
      write(entry);
    } else {
      pending_ += entry;
    }
  } catch (...) {
    // Out of memory for a line: the log misses it, the run goes on.
  }
}

void RunLogFile::write(std::string_view text) noexcept {
  if (file_->write(text)) file_.reset();  // a full disk: the run goes on without its log
}

std::error_code RunLogFile::place(const fs::Path& file, bool new_only) noexcept {
  if (decided_) return std::make_error_code(std::errc::operation_in_progress);
  try {
    std::error_code error;
    file_ = fs::OwnTextFile::create(file, new_only, error);
    if (!file_) return error;
  } catch (...) {
    return std::make_error_code(std::errc::not_enough_memory);
  }
  decided_ = true;
  write(pending_);
  std::string().swap(pending_);
  return {};
}

void RunLogFile::give_up() noexcept {
  decided_ = true;
  std::string().swap(pending_);
}

}  // namespace tavo::setup
