#include "verify/manifest.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "common/error.hpp"
#include "common/run_log.hpp"
#include "fs/input_file.hpp"
#include "fs/link_check_messages.hpp"
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

constexpr ManifestKind kSoftware = {"Software manifest", "Bundled software manifest missing", "Invalid software manifest",
                                    "Invalid software path", "Bundled software checksum mismatch",
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

void verify_line(FileOpener& opener, const ManifestKind& kind, std::string_view line, LinePlace place,
                 LineWatcher* watcher, const HashNotes& notes) {
  const fs::HeldFolder& folder = opener.root();
  if (!has_line_layout(line)) throw Error(kind.invalid_line, layout_reason(line, place));
  const std::wstring name = kind.name_as_wide(line.substr(kNameStart));
  if (!kind.name_accepted(name)) throw Error(kind.invalid_name);
  fs::InputFile file = open_for_hash(opener, name, notes);
  const std::string digest = watcher != nullptr
                                 ? watcher->digest(fs::join(folder.path(), with_file_call_separators(name)), file)
                                 : file_sha256(file);
  const std::string_view listed = line.substr(0, kDigestLength);
  if (digest != listed) throw Error(kind.mismatch, mismatch_reason(listed, digest));
}

// The line's verdict in the run's log: "<manifest> line <n> "<name>": OK", or the failure with its reason (a
// mismatch says both digests).
void note_line(const ManifestKind& kind, std::uint32_t number, std::string_view line, const Error* failure) noexcept {
  if (!run_log::active()) return;
  try {
    std::string text = std::string(kind.log_name) + " line " + std::to_string(number);
    if (has_line_layout(line)) {
      const std::string_view name = line.substr(kNameStart);
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

// Verifies every line of folder's manifest in file order; returns how many lines were checked. Without a
// watcher the first failure raises, so every line counted has passed.
std::uint32_t verify_entries(const fs::HeldFolder& folder, const ManifestKind& kind, LineWatcher* watcher,
                             const HashNotes& notes) {
  const fs::Path manifest_path = fs::join(folder.path(), kManifestName);
  std::error_code error;
  std::optional<fs::InputFile> manifest = fs::InputFile::open_in(folder, kManifestName, error);
  if (!manifest) throw Error(error == fs::link_met() ? fs::link_check::linked_entry : kind.missing);

  ManifestLines lines(*manifest, manifest_path);
  std::uint32_t count = 0;
  std::string line;
  std::set<std::wstring> linked_trees;  // reported once each
  FileOpener opener(folder);
  while (lines.next(line)) {
    ++count;
    const auto check_line = [&] {
      if (lines.too_long()) throw Error(kind.invalid_line, "line too long");
      // Whether the line is the last is read ahead only for a refused line, to say why.
      const bool layout_refused = !has_line_layout(line);
      verify_line(opener, kind, line, {count == 1, layout_refused && lines.at_end()}, watcher, notes);
    };
    if (watcher == nullptr) {
      try {
        check_line();
      } catch (const Error& failure) {
        note_line(kind, count, line, &failure);
        throw;
      }
      note_line(kind, count, line, nullptr);
      continue;
    }
    try {
      check_line();
    } catch (const LinkedTreeRoot& failure) {
      if (!linked_trees.insert(failure.tree()).second) continue;
      const std::string_view name = std::string_view(line).substr(kNameStart);
      watcher->report(count, name, failure);
    } catch (const Error& failure) {
      const std::string_view name = has_line_layout(line) ? std::string_view(line).substr(kNameStart) : "";
      watcher->report(count, name, failure);
    }
  }
  return count;
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
