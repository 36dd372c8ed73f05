#include "sys/calls_zip_posix.hpp"

#include <cerrno>
#include <memory>
#include <optional>
#include <string>

#include "common/unique_resource.hpp"
#include "common/utf8.hpp"
#include "fs/file_identity.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/input_file.hpp"
#include "fs/path_forms.hpp"
#include "fs/temporary_file.hpp"
#include "package/package_error.hpp"
#include "package/zip_archive.hpp"
#include "verify/sha256_engine.hpp"

namespace tavo::package {
namespace {

// An archive being made; unless it has been closed, nothing of it is written.
struct ZipArchiveTraits {
  using type = zip_t*;
  static type invalid() noexcept { return nullptr; }
  static void close(type archive) noexcept { ::zip_discard(archive); }
};

[[noreturn]] void fail(const std::string& what, zip_t* archive) {
  throw PackageError("Cannot write the archive: " + what + ": " + ::zip_strerror(archive));
}

// One file's content for the library: read from our own handle below the held root, hashed as it is read, and
// checked at its end. The library reads it once, when the archive is closed. The first failure of any file is
// kept in `failure`, as the library's own text for it says little.
class FileSource {
 public:
  FileSource(const fs::HeldFolder& root, std::wstring path, const std::string* expected, std::string& failure)
      : root_(root), path_(std::move(path)), expected_(expected), failure_(failure) {
    ::zip_error_init(&error_);
  }
  ~FileSource() { ::zip_error_fini(&error_); }

  static zip_int64_t call(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    return static_cast<FileSource*>(self)->answer(data, length, command);
  }

 private:
  zip_int64_t answer(void* data, zip_uint64_t length, zip_source_cmd_t command) {
    switch (command) {
      case ZIP_SOURCE_OPEN:
        return open_file();
      case ZIP_SOURCE_READ:
        return read_bytes(static_cast<unsigned char*>(data), length);
      case ZIP_SOURCE_CLOSE:
        return close_file();
      case ZIP_SOURCE_STAT:
        ::zip_stat_init(static_cast<zip_stat_t*>(data));
        return sizeof(zip_stat_t);
      case ZIP_SOURCE_ERROR:
        return ::zip_error_to_data(&error_, data, length);
      case ZIP_SOURCE_FREE:
        delete this;
        return 0;
      case ZIP_SOURCE_SUPPORTS:
        return ::zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
      default:
        ::zip_error_set(&error_, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
  }

  zip_int64_t failed(const std::string& why, int zip_code, int system_code) {
    if (failure_.empty()) failure_ = utf8_from_wide(path_) + ": " + why;
    ::zip_error_set(&error_, zip_code, system_code);
    return -1;
  }

  zip_int64_t open_file() {
    std::error_code error;
    file_ = fs::InputFile::open_in(root_, path_, error);
    if (!file_) {
      if (error == fs::link_met()) return failed("became a link after it was checked", ZIP_ER_OPEN, ELOOP);
      return failed(error ? error.message() : "no longer a plain file", ZIP_ER_OPEN, error.value());
    }
    if (file_->fingerprint(before_)) return failed("cannot be read", ZIP_ER_READ, errno);
    engine_ = verify::make_platform_sha256_engine();
    if (!engine_->open_provider() || !engine_->create_hash()) return failed("SHA-256 unavailable", ZIP_ER_INTERNAL, 0);
    return 0;
  }

  // The end of the file is judged by the read that finds it: the library takes a failed read as the entry's
  // failure, while what a close returns is not looked at.
  zip_int64_t read_bytes(unsigned char* buffer, zip_uint64_t length) {
    const std::optional<std::size_t> got = file_->read(buffer, static_cast<std::size_t>(length));
    if (!got) return failed("cannot be read", ZIP_ER_READ, errno);
    if (*got > 0) {
      if (!engine_->hash_data(buffer, *got)) return failed("SHA-256 calculation failed", ZIP_ER_INTERNAL, 0);
      return static_cast<zip_int64_t>(*got);
    }
    unsigned char digest[verify::sha256_digest_size];
    if (!engine_->finish_hash(digest)) return failed("SHA-256 calculation failed", ZIP_ER_INTERNAL, 0);
    fs::Fingerprint after;
    if (const std::error_code error = file_->fingerprint(after)) return failed(error.message(), ZIP_ER_READ, error.value());
    if (after != before_) return failed("changed while it was archived", ZIP_ER_CHANGED, 0);
    if (expected_ != nullptr && verify::lower_hex(digest) != *expected_) {
      return failed("changed after it was checked (its digest no longer matches the manifest)", ZIP_ER_CHANGED, 0);
    }
    return 0;
  }

  zip_int64_t close_file() {
    file_.reset();
    return 0;
  }

  const fs::HeldFolder& root_;
  std::wstring path_;
  const std::string* expected_;
  std::string& failure_;
  zip_error_t error_;
  std::optional<fs::InputFile> file_;
  fs::Fingerprint before_;
  std::unique_ptr<verify::Sha256Engine> engine_;
};

}  // namespace

void write_zip_archive(const fs::HeldFolder& root, const std::vector<fs::TreeEntry>& entries,
                       const std::map<std::wstring, std::string>& digests, const fs::Path& archive) {
  const fs::Path target = fs::long_path_form(archive);
  const fs::Path temporary = fs::temporary_name_for(target);
  const std::string temporary_name = utf8_from_wide(temporary.text());

  int error = 0;
  UniqueResource<ZipArchiveTraits> zip(sys::zip_open(temporary_name.c_str(), ZIP_CREATE | ZIP_EXCL, &error));
  if (!zip) {
    zip_error_t details;
    ::zip_error_init_with_code(&details, error);
    const std::string text = ::zip_error_strerror(&details);
    ::zip_error_fini(&details);
    throw PackageError("Cannot write the archive: " + text);
  }

  std::string first_failure;  // the first file that failed, and why
  for (const fs::TreeEntry& entry : entries) {
    const std::string name = utf8_from_wide(entry.path);
    if (entry.kind == fs::EntryKind::folder) {
      if (::zip_dir_add(zip.get(), name.c_str(), ZIP_FL_ENC_UTF_8) < 0) fail(name, zip.get());
      continue;
    }
    const auto digest = digests.find(entry.path);
    auto* file = new FileSource(root, entry.path, digest != digests.end() ? &digest->second : nullptr, first_failure);
    zip_source_t* content = ::zip_source_function(zip.get(), &FileSource::call, file);
    if (content == nullptr) {
      delete file;
      fail(name, zip.get());
    }
    if (::zip_file_add(zip.get(), name.c_str(), content, ZIP_FL_ENC_UTF_8) < 0) {
      ::zip_source_free(content);
      fail(name, zip.get());
    }
  }
  // The files are read now; the library writes the archive beside the temporary name and renames it there.
  if (sys::zip_close(zip.get()) != 0) {
    if (!first_failure.empty()) throw PackageError("Cannot write the archive: " + first_failure);
    fail(utf8_from_wide(archive.text()), zip.get());
  }
  zip.release();
  fs::TemporaryFile file(temporary, target);
  if (const std::error_code failure = file.move_into_place()) {
    throw fs::FileSystemError("rename", failure, temporary, target);
  }
}

}  // namespace tavo::package
