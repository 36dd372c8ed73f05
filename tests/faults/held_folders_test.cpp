// A file of the package changed by another program after the setup hashed it: the setup installs only what it
// hashed, so the change ends the run with the manifest's own mismatch message.
#include "held_package_fixture.hpp"

namespace tavo::test {
namespace {

TEST_F(HeldPackageTest, AFileChangedBetweenItsHashAndItsCopyIsNeverInstalled) {
  struct Case {
    const char* name;
    const char* file;  // below the package
    const char* message;
  };
  const Case cases[] = {
      {"a sample of the original software", "Originalsoftware/Tavo/Samples/teil-3.dat",
       "Bundled software checksum mismatch"},
      {"the editor's program", "Originalsoftware/App/Bin/Tavo.exe", "Bundled software checksum mismatch"},
      {"a payload program", "Dateien/TAVO-starten.exe", "Payload checksum mismatch"},
      {"the patched driver DLL", "Dateien/TavoDrv.dll", "Payload checksum mismatch"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::Path file = dir / (L"Paket/" + wide_from_utf8(c.file));
    const std::string checked = package.at(c.file);
    // The same size: only the content differs from what was hashed.
    std::string changed = checked;
    changed[0] = static_cast<char>(changed[0] ^ 0x20);
    const fs::Path target = dir / (L"Ziele/Ziel-" + std::to_wstring(++n));
    const auto ran = before(kCreateFolder, 1, [&] { write_file(file, changed); });
    EXPECT_EQ(install(target), c.message);
    sys::test::clear_hooks();
    EXPECT_TRUE(*ran);
    EXPECT_FALSE(exists(target));
    write_file(file, checked);
  }
  // The package as it was installs as ever.
  EXPECT_EQ(install(dir / L"Ziele/Ziel-danach"), "");
}

}  // namespace
}  // namespace tavo::test
