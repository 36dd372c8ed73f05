#include <zip.h>

#include <string>

#include "common/unique_resource.hpp"
#include "common/utf8.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/path_forms.hpp"
#include "fs/temporary_file.hpp"
#include "package/package_error.hpp"
#include "package/zip_archive.hpp"

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

}  // namespace

void write_zip_archive(const fs::Path& root, const std::vector<fs::TreeEntry>& entries, const fs::Path& archive) {
  const fs::Path target = fs::long_path_form(archive);
  const fs::Path source = fs::long_path_form(root);
  const fs::Path temporary = fs::temporary_name_for(target);
  const std::string temporary_name = utf8_from_wide(temporary.text());

  int error = 0;
  UniqueResource<ZipArchiveTraits> zip(::zip_open(temporary_name.c_str(), ZIP_CREATE | ZIP_EXCL, &error));
  if (!zip) {
    zip_error_t details;
    ::zip_error_init_with_code(&details, error);
    const std::string text = ::zip_error_strerror(&details);
    ::zip_error_fini(&details);
    throw PackageError("Cannot write the archive: " + text);
  }

  for (const fs::TreeEntry& entry : entries) {
    const std::string name = utf8_from_wide(entry.path);
    if (entry.kind == fs::EntryKind::folder) {
      if (::zip_dir_add(zip.get(), name.c_str(), ZIP_FL_ENC_UTF_8) < 0) fail(name, zip.get());
      continue;
    }
    const std::string file = utf8_from_wide(fs::join(source, entry.path).text());
    zip_source_t* content = ::zip_source_file(zip.get(), file.c_str(), 0, -1);
    if (content == nullptr) fail(name, zip.get());
    if (::zip_file_add(zip.get(), name.c_str(), content, ZIP_FL_ENC_UTF_8) < 0) {
      ::zip_source_free(content);
      fail(name, zip.get());
    }
  }
  // The files are read now; the library writes the archive beside the temporary name and renames it there.
  if (::zip_close(zip.get()) != 0) fail(utf8_from_wide(archive.text()), zip.get());
  zip.release();
  fs::TemporaryFile file(temporary, target);
  if (const std::error_code failure = file.move_into_place()) {
    throw fs::FileSystemError("rename", failure, temporary, target);
  }
}

}  // namespace tavo::package
