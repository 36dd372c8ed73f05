#include "verify/manifest.hpp"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "common/error.hpp"
#include "common/progress.hpp"
#include "common/run_log.hpp"
#include "fs/input_file.hpp"
#include "fs/link_check_messages.hpp"
#include "verify/digest_worker.hpp"
#include "verify/known_digests.hpp"
#include "verify/line_reasons.hpp"
#include "verify/manifest_lines.hpp"
#include "verify/manifest_names.hpp"
#include "verify/package_layout.hpp"
#include "verify/sha256.hpp"

namespace tavo::verify {
namespace {

struct ManifestKind {
  const char* log_name;
  const char* missing;
  const char* invalid_line;
  const char* invalid_name;
  const char* mismatch;
  std::wstring (*name_as_wide)(std::string_view);
  bool (*name_accepted)(std::wstring_view) noexcept;
};

constexpr ManifestKind kPayload = {"Payload manifest", "Payload manifest missing", "Invalid payload manifest",
                                   "Invalid payload filename", "Payload checksum mismatch",
                                   wide_from_narrow_file_name, is_valid_payload_name};

constexpr ManifestKind kSoftware = {"Software manifest", "Bundled software manifest missing",
                                    "Invalid software manifest", "Invalid software path",
                                    "Bundled software checksum mismatch",
                                    wide_from_utf8_file_name, is_valid_software_path};

// Where the hashes of one verification go: the files' fingerprints under "<folder>/<name>".
struct HashNotes {
  fs::HashedFiles* files;  // null: not noted
  const wchar_t* folder;
};

// A listed file met a link at its first folder, the root of a tree of the original software: the tree's own
// problem, reported once for the tree rather than for each of its files.
class LinkedTreeRoot final : public Error {
 public:
  explicit LinkedTreeRoot(std::wstring tree) : Error(fs::link_check::linked_root), tree_(std::move(tree)) {}
  const std::wstring& tree() const noexcept { return tree_; }

 private:
  std::wstring tree_;
};

// Opens the files of one verification below its held folder, keeping the last folder on the way open: a
// manifest lists a folder's files together, so most files are opened relative to their own folder at once.
class FileOpener {
 public:
  explicit FileOpener(const fs::HeldFolder& root) : root_(root) {}

  const fs::HeldFolder& root() const noexcept { return root_; }

  std::optional<fs::InputFile> open(const std::wstring& relative, std::error_code& error) {
    const std::size_t last = relative.find_last_of(L"/\\");
    if (last == std::wstring::npos) return fs::InputFile::open_in(root_, relative, error);
    const std::wstring folder = relative.substr(0, last);
    if (!last_folder_.is_open() || folder != last_name_) {
      last_folder_ = fs::HeldFolder();
      last_name_.clear();
      if ((error = root_.open_folder(folder, last_folder_))) return std::nullopt;
      last_name_ = folder;
    }
    return fs::InputFile::open_in(last_folder_, std::wstring_view(relative).substr(last + 1), error);
  }

 private:
  const fs::HeldFolder& root_;
  fs::HeldFolder last_folder_;
  std::wstring last_name_;  // below root_
};

// Opens a listed or known file below the held folder for hashing, no link followed, and notes its fingerprint.
fs::InputFile open_for_hash(FileOpener& opener, const std::wstring& name, const HashNotes& notes) {
  const fs::HeldFolder& folder = opener.root();
  std::error_code error;
  std::optional<fs::InputFile> file = opener.open(with_file_call_separators(name), error);
  if (!file && error == fs::link_met()) {
    const std::size_t first = name.find_first_of(L"/\\");
    fs::HeldFolder top;
    if (first != std::wstring::npos && folder.open_folder(name.substr(0, first), top) == fs::link_met()) {
      throw LinkedTreeRoot(name.substr(0, first));
    }
    throw Error(fs::link_check::linked_entry);
  }
  if (!file) {
    throw Error("Cannot read input file", error == std::errc::no_such_file_or_directory ? "missing" : error.message());
  }
  if (notes.files != nullptr) {
    fs::Fingerprint fingerprint;
    if (file->fingerprint(fingerprint)) throw Error("Cannot read input file");
    notes.files->add(std::wstring(notes.folder) + L"/" + name, fingerprint);
  }
  return std::move(*file);
}

// A listed file, opened, and the name that listed it.
struct ListedFile {
  fs::InputFile file;
  std::wstring name;
};

// Checks the layout and name of manifest line `number`, the one last read from `lines`, and opens its file. Raises
// the line's failure.
ListedFile open_listed(FileOpener& opener, const ManifestKind& kind, ManifestLines& lines, std::string_view line,
                       std::uint32_t number, const HashNotes& notes) {
  if (lines.too_long()) throw Error(kind.invalid_line, "line too long");
  // Whether the line is the last is read ahead only for a refused line, to say why.
  if (!has_line_layout(line)) throw Error(kind.invalid_line, layout_reason(line, {number == 1, lines.at_end()}));
  std::wstring name = kind.name_as_wide(line.substr(kNameStart));
  if (!kind.name_accepted(name)) throw Error(kind.invalid_name);
  fs::InputFile file = open_for_hash(opener, name, notes);
  return {std::move(file), std::move(name)};
}

// The line's verdict in the run's log: "<manifest> line <n> "<name>": OK", or the failure with its reason (a
// mismatch says both digests). `name` is the line's name part, empty when its layout is wrong.
void note_line(const ManifestKind& kind, std::uint32_t number, std::string_view name, const Error* failure) noexcept {
  if (!run_log::active()) return;
  try {
    std::string text = std::string(kind.log_name) + " line " + std::to_string(number);
    if (!name.empty()) {
      try {
        text += " " + run_log::quoted(kind.name_as_wide(name));
      } catch (const std::exception&) {
        text += " (a name that is not text)";
      }
    }
    text += failure != nullptr ? ": " + message_with_reason(*failure) : std::string(": OK");
    run_log::note(text);
  } catch (...) {
    // Out of memory for a line: the log misses it.
  }
}

Error mismatch_error(const ManifestKind& kind, std::string_view listed, std::string_view digest) {
  return Error(kind.mismatch, mismatch_reason(listed, digest));
}

// The name part of a line, as reported; empty when the line's layout is wrong.
std::string_view name_part(std::string_view line) { return has_line_layout(line) ? line.substr(kNameStart) : ""; }

// Every line of folder's manifest in file order, each told to the watcher when it fails; returns how many lines
// were checked. The watcher may hash each file itself, so the lines are checked one after another.
std::uint32_t watch_entries(ManifestLines& lines, FileOpener& opener, const ManifestKind& kind, LineWatcher& watcher,
                            const HashNotes& notes) {
  std::uint32_t count = 0;
  std::string line;
  std::set<std::wstring> linked_trees;  // reported once each
  while (lines.next(line)) {
    ++count;
    try {
      ListedFile listed = open_listed(opener, kind, lines, line, count, notes);
      const std::string digest =
          watcher.digest(fs::join(opener.root().path(), with_file_call_separators(listed.name)), listed.file);
      const std::string_view listed_digest = std::string_view(line).substr(0, kDigestLength);
      if (digest != listed_digest) throw mismatch_error(kind, listed_digest, digest);
    } catch (const LinkedTreeRoot& failure) {
      if (!linked_trees.insert(failure.tree()).second) continue;
      watcher.report(count, std::string_view(line).substr(kNameStart), failure);
    } catch (const Error& failure) {
      watcher.report(count, name_part(line), failure);
    }
  }
  return count;
}

// The lines of a manifest without a watcher, two files hashed at once: the calling thread reads a chunk of the
// file in the worker's lane and hands it over, then reads and hashes a chunk of the file in its own lane (in two
// rounds of three), and so on; a lane whose file ends takes the next line's file. Every call through the door is
// made here, in an order set by the manifest and the files' sizes alone, and the worker's results are taken at
// fixed points of it (one file behind, and at the end). The first failing line in manifest order raises; once a
// line is known to fail, no further line is started and the files of later lines are dropped.
class PairedEntries {
 public:
  PairedEntries(ManifestLines& lines, FileOpener& opener, const ManifestKind& kind, const HashNotes& notes)
      : lines_(lines), opener_(opener), kind_(kind), notes_(notes) {}

  // Raises the first failing line's failure; returns how many lines were checked.
  std::uint32_t run() {
    for (;;) {
      fill(worker_lane_);
      fill(own_lane_);
      if (!worker_lane_.file && !own_lane_.file) break;
      if (worker_lane_.file) read_for_worker();
      if (own_lane_.file && (round_ < kOwnTurns || !worker_lane_.file)) read_and_hash();
      round_ = (round_ + 1) % kRounds;
      settle_ready_lines();
    }
    while (!awaiting_worker_.empty()) take_worker_result();
    settle_ready_lines();
    if (manifest_failure_) std::rethrow_exception(manifest_failure_);
    return count_;
  }

 private:
  static constexpr std::uint32_t kNoFailure = UINT32_MAX;
  // The worker's lane reads a chunk in every round, the own lane in two of three: the calling thread also makes
  // every read and hands every chunk over, so the two threads are busy about equally when the worker hashes more.
  static constexpr unsigned kRounds = 3;
  static constexpr unsigned kOwnTurns = 2;

  struct Line {
    std::uint32_t number = 0;
    std::string name;    // the name part, empty when the layout is wrong
    std::string listed;  // the listed digest
    bool decided = false;
    std::exception_ptr failure;
  };

  // A listed file being read, and its line.
  struct Lane {
    std::optional<fs::InputFile> file;
    Line* line = nullptr;
    std::optional<Sha256Hasher> hasher;  // the own lane's
  };

  // Drops the lane's file when an earlier line is known to fail, or starts lines until one has a file to read.
  void fill(Lane& lane) {
    if (lane.file && lane.line->number > first_failure_) reset(lane);
    while (!lane.file && first_failure_ == kNoFailure && start_line(lane)) {
    }
  }

  // The next line into the lane; false when the manifest has no more lines.
  bool start_line(Lane& lane) {
    try {
      if (!lines_.next(text_)) return false;
    } catch (...) {
      // A manifest that cannot be read to its end fails after the lines read before.
      manifest_failure_ = std::current_exception();
      first_failure_ = std::min(first_failure_, count_ + 1);
      return false;
    }
    ++count_;
    Line& line = pending_.emplace_back();
    line.number = count_;
    line.name = std::string(name_part(text_));
    try {
      ListedFile listed = open_listed(opener_, kind_, lines_, text_, count_, notes_);
      line.listed = text_.substr(0, kDigestLength);
      // The digest is started before the first read, as file_sha256 starts it.
      if (&lane == &own_lane_) lane.hasher.emplace();
      lane.file = std::move(listed.file);
      lane.line = &line;
    } catch (...) {
      reset(lane);
      fail(line, std::current_exception());
    }
    return true;
  }

  void read_for_worker() {
    Lane& lane = worker_lane_;
    unsigned char* const buffer = worker_.next_buffer();
    const std::optional<std::size_t> count = lane.file->read(buffer, sha256_chunk_size);
    if (count && *count > 0) {
      worker_.hand_chunk(*count);
      progress::bytes_done(*count);
      return;
    }
    // The line's verdict comes from the worker either way; a failed read is known to fail already.
    worker_.end_file(!count);
    awaiting_worker_.push_back(lane.line);
    if (!count) first_failure_ = std::min(first_failure_, lane.line->number);
    reset(lane);
    while (awaiting_worker_.size() > 1) take_worker_result();
  }

  void read_and_hash() {
    Lane& lane = own_lane_;
    Line& line = *lane.line;
    try {
      const std::optional<std::size_t> count = lane.file->read(buffer_.get(), sha256_chunk_size);
      if (!count) throw Error(sha256_calculation_failed);
      if (*count > 0) {
        lane.hasher->add(buffer_.get(), *count);
        progress::bytes_done(*count);
        return;
      }
      decide(line, lane.hasher->finish());
    } catch (...) {
      fail(line, std::current_exception());
    }
    reset(lane);
  }

  void take_worker_result() {
    Line& line = *awaiting_worker_.front();
    awaiting_worker_.pop_front();
    DigestWorker::Result result = worker_.next_result();
    if (result.failure) {
      fail(line, result.failure);
    } else {
      decide(line, result.digest);
    }
  }

  void decide(Line& line, const std::string& digest) {
    if (digest != line.listed) return fail(line, std::make_exception_ptr(mismatch_error(kind_, line.listed, digest)));
    line.decided = true;
  }

  void fail(Line& line, std::exception_ptr failure) {
    line.failure = std::move(failure);
    line.decided = true;
    first_failure_ = std::min(first_failure_, line.number);
  }

  static void reset(Lane& lane) {
    lane.file.reset();  // closed here, on the calling thread
    lane.hasher.reset();
    lane.line = nullptr;
  }

  void settle_ready_lines() {
    while (!pending_.empty() && pending_.front().decided) {
      const Line& line = pending_.front();
      line_settled(line.number, line.name, line.failure);
      pending_.pop_front();
    }
  }

  // Every line's verdict is settled here, one line after another in manifest order and on the calling thread,
  // whichever thread hashed its file: a failed line raises its failure.
  void line_settled(std::uint32_t number, std::string_view name, const std::exception_ptr& failure) const {
    if (!failure) {
      note_line(kind_, number, name, nullptr);
      return;
    }
    try {
      std::rethrow_exception(failure);
    } catch (const Error& error) {
      note_line(kind_, number, name, &error);
      throw;
    }
  }

  ManifestLines& lines_;
  FileOpener& opener_;
  const ManifestKind& kind_;
  const HashNotes& notes_;
  std::string text_;  // the line last read
  std::uint32_t count_ = 0;
  unsigned round_ = 0;
  std::uint32_t first_failure_ = kNoFailure;  // the earliest line known to fail
  std::exception_ptr manifest_failure_;
  std::deque<Line> pending_;           // started and not settled, in manifest order (references stay valid)
  std::deque<Line*> awaiting_worker_;  // read to their end by the worker's lane, results not taken yet
  std::unique_ptr<unsigned char[]> buffer_ = std::make_unique<unsigned char[]>(sha256_chunk_size);
  Lane worker_lane_;
  Lane own_lane_;
  DigestWorker worker_;  // last: stopped and joined first, on every way out
};

// Verifies every line of folder's manifest in file order; returns how many lines were checked. Without a
// watcher the first failure raises, so every line counted has passed.
std::uint32_t verify_entries(const fs::HeldFolder& folder, const ManifestKind& kind, LineWatcher* watcher,
                             const HashNotes& notes) {
  const fs::Path manifest_path = fs::join(folder.path(), kManifestName);
  std::error_code error;
  std::optional<fs::InputFile> manifest = fs::InputFile::open_in(folder, kManifestName, error);
  if (!manifest) throw Error(error == fs::link_met() ? fs::link_check::linked_entry : kind.missing);

  ManifestLines lines(*manifest, manifest_path);
  FileOpener opener(folder);
  if (watcher != nullptr) return watch_entries(lines, opener, kind, *watcher, notes);
  return PairedEntries(lines, opener, kind, notes).run();
}

// The folder of a verification by its path; one that cannot be opened has no manifest either.
fs::HeldFolder held(const fs::Path& folder, const char* missing) {
  fs::HeldFolder held_folder;
  if (fs::HeldFolder::open(folder, held_folder)) throw Error(missing);
  return held_folder;
}

}  // namespace

std::string LineWatcher::digest(const fs::Path&, fs::InputFile& file) { return file_sha256(file); }

void LineWatcher::report(std::uint32_t number, std::string_view name, const Error& failure) {
  struct Forget {
    const Error*& failure;
    ~Forget() { failure = nullptr; }
  } forget{failure_};
  failure_ = &failure;
  line_failed(number, name);
}

void verify_payload_entries(const fs::HeldFolder& payload_dir, LineWatcher* watcher, fs::HashedFiles* hashed) {
  const std::uint32_t listed = verify_entries(payload_dir, kPayload, watcher, {hashed, kPayloadFolderName});
  if (listed != kPayloadFileCount) {
    throw Error("Incomplete payload manifest", count_reason(listed, kPayloadFileCount, false));
  }
}

void check_patched_payload_dll(const fs::HeldFolder& payload_dir, fs::HashedFiles* hashed) {
  // Checked whether or not the manifest lists it: the installation always takes this file.
  FileOpener opener(payload_dir);
  fs::InputFile file = open_for_hash(opener, kPatchedDriverDllName, {hashed, kPayloadFolderName});
  const std::string digest = file_sha256(file);
  if (digest != patched_driver_dll_sha256) {
    run_log::note("Payload's TavoDrv.dll: not the patched build (computed " + digest + ")");
    throw Error("Wrong patched DLL");
  }
  run_log::note("Payload's TavoDrv.dll: the patched build");
}

void verify_software_entries(const fs::HeldFolder& source_dir, LineWatcher* watcher, fs::HashedFiles* hashed) {
  const std::uint32_t listed = verify_entries(source_dir, kSoftware, watcher, {hashed, kSourceFolderName});
  if (listed < kLeastSoftwareFiles) {
    throw Error("Bundled software incomplete", count_reason(listed, kLeastSoftwareFiles, true));
  }
}

void verify_payload_entries(const fs::Path& payload_dir) {
  verify_payload_entries(held(payload_dir, kPayload.missing), nullptr, nullptr);
}

void verify_payload_entries(const fs::Path& payload_dir, LineWatcher& watcher) {
  verify_payload_entries(held(payload_dir, kPayload.missing), &watcher, nullptr);
}

void check_patched_payload_dll(const fs::Path& payload_dir) {
  check_patched_payload_dll(held(payload_dir, "Cannot read input file"), nullptr);
}

void verify_software_entries(const fs::Path& source_dir) {
  verify_software_entries(held(source_dir, kSoftware.missing), nullptr, nullptr);
}

void verify_software_entries(const fs::Path& source_dir, LineWatcher& watcher) {
  verify_software_entries(held(source_dir, kSoftware.missing), &watcher, nullptr);
}

void verify_payload_manifest(const fs::Path& payload_dir) {
  verify_payload_entries(payload_dir);
  check_patched_payload_dll(payload_dir);
}

void verify_software_manifest(const fs::Path& source_dir) { verify_software_entries(source_dir); }

}  // namespace tavo::verify
