#include "verify/manifest.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/error.hpp"
#include "common/utf8.hpp"
#include "driver_fixtures.hpp"
#include "fs/filesystem_error.hpp"
#include "reference_sha256.hpp"
#include "support/test_support.hpp"
#include "tavo/build_config.hpp"
#include "support/wine_detection.hpp"

namespace tavo::verify {
namespace {

// The raised message, or "verified".
template <typename F>
std::string outcome(F&& call) {
  return tavo::test::message_raised<std::exception>(call, "verified");
}

using tavo::test::TempDir;
using test::reference_sha256;



std::string upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// A manifest as a list of lines, each written with the line end; a case may change any part.
struct Manifest {
  std::string prefix;
  std::vector<std::string> lines;
  std::string line_end = "\n";
  bool end_last_line = true;
  std::string suffix;

  std::string text() const {
    std::string out = prefix;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      out += lines[i];
      if (i + 1 < lines.size() || end_last_line) out += line_end;
    }
    return out + suffix;
  }
};

std::string entry(const std::string& content, const std::string& name) {
  return reference_sha256(content) + "  " + name;
}

// ---- Payload ---------------------------------------------------------------------------------------

const char* const kPayloadNames[] = {"TavoDrv.dll", "tusbshim.dll", "tset-template.ini", "device_binding.exe",
                                     "TAVO-starten.exe", "TAVO-Treiber-installieren.exe",
                                     "TAVO-Treiber-entfernen.exe"};

class PayloadManifest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto patched = test::patched_driver_dll_bytes();
    if (!patched) GTEST_SKIP() << test::kFixtureDigestsSkipReason;
    patched_dll = *patched;
  }

  std::string content_of(const std::string& name) const {
    return name == "TavoDrv.dll" ? patched_dll : "content of " + name;
  }

  // A complete payload folder and its manifest, listing the seven files in order.
  void make_payload(const TempDir& dir, Manifest& manifest) const {
    for (const char* name : kPayloadNames) {
      tavo::test::write_file(dir / tavo::wide_from_utf8(name), content_of(name));
      manifest.lines.push_back(entry(content_of(name), name));
    }
  }

  std::string verify(const TempDir& dir, const Manifest& manifest) const {
    tavo::test::write_file(dir / L"SHA256SUMS.txt", manifest.text());
    return outcome([&] { verify_payload_manifest(dir.path()); });
  }

  std::string patched_dll;
};

struct PayloadCase {
  const char* title;
  std::function<void(const TempDir&, Manifest&)> change;
  const char* expected;
};

TEST_F(PayloadManifest, Cases) {
  const std::string shim = "content of tusbshim.dll";
  const auto name_on_line = [](Manifest& m, std::size_t i, const std::string& name) {
    m.lines[i] = m.lines[i].substr(0, 66) + name;
  };
  const PayloadCase cases[] = {
      {"seven valid lines", [](const TempDir&, Manifest&) {}, "verified"},
      {"last line without LF", [](const TempDir&, Manifest& m) { m.end_last_line = false; }, "verified"},
      {"CR LF line ends", [](const TempDir&, Manifest& m) { m.line_end = "\r\n"; }, "verified"},
      {"CR LF, last line without LF but with CR",
       [](const TempDir&, Manifest& m) { m.line_end = "\r\n", m.end_last_line = false, m.suffix = "\r"; }, "verified"},
      {"ends with an empty line", [](const TempDir&, Manifest& m) { m.suffix = "\n"; }, "Invalid payload manifest"},
      {"empty manifest", [](const TempDir&, Manifest& m) { m.lines.clear(); }, "Incomplete payload manifest"},
      {"one empty line", [](const TempDir&, Manifest& m) { m.lines = {""}; }, "Invalid payload manifest"},
      {"byte-order mark", [](const TempDir&, Manifest& m) { m.prefix = "\xEF\xBB\xBF"; }, "Invalid payload manifest"},
      {"old end-of-file byte after the last line", [](const TempDir&, Manifest& m) { m.suffix = "\x1A"; },
       "Invalid payload manifest"},
      {"end-of-file byte before later lines",
       [](const TempDir&, Manifest& m) { m.lines.insert(m.lines.begin() + 3, "\x1A"); }, "Invalid payload manifest"},
      {"binary marker", [](const TempDir&, Manifest& m) { m.lines[2][65] = '*'; }, "Invalid payload manifest"},
      {"one space", [](const TempDir&, Manifest& m) { m.lines[2].erase(65, 1); }, "Invalid payload manifest"},
      {"tab for the spaces", [](const TempDir&, Manifest& m) { m.lines[2].replace(64, 2, "\t\t"); },
       "Invalid payload manifest"},
      {"66 bytes, no name", [](const TempDir&, Manifest& m) { m.lines[2].resize(66); }, "Invalid payload manifest"},
      {"66 bytes and a CR", [](const TempDir&, Manifest& m) { m.lines[2].resize(66), m.lines[2] += "\r"; },
       "Invalid payload manifest"},
      {"comment line", [](const TempDir&, Manifest& m) { m.lines.insert(m.lines.begin(), "# payload"); },
       "Invalid payload manifest"},
      {"upper-case digest",
       [](const TempDir&, Manifest& m) { m.lines[1] = upper(m.lines[1].substr(0, 64)) + m.lines[1].substr(64); },
       "Payload checksum mismatch"},
      {"digest of other content", [&](const TempDir&, Manifest& m) { m.lines[4] = entry("other", "TAVO-starten.exe"); },
       "Payload checksum mismatch"},
      {"eight valid lines", [&](const TempDir&, Manifest& m) { m.lines.push_back(entry(shim, "tusbshim.dll")); },
       "Incomplete payload manifest"},
      {"eighth line mismatches: lines are checked before the count",
       [&](const TempDir&, Manifest& m) { m.lines.push_back(entry("other", "tusbshim.dll")); },
       "Payload checksum mismatch"},
      {"six lines", [](const TempDir&, Manifest& m) { m.lines.pop_back(); }, "Incomplete payload manifest"},
      {"seven lines naming the same file",
       [&](const TempDir&, Manifest& m) { m.lines.assign(7, entry(shim, "tusbshim.dll")); }, "verified"},
      {"first failing line decides: mismatch before invalid",
       [&](const TempDir&, Manifest& m) { m.lines[0] = entry("x", "TavoDrv.dll"), m.lines[1] = "short"; },
       "Payload checksum mismatch"},
      {"first failing line decides: invalid before mismatch",
       [&](const TempDir&, Manifest& m) { m.lines[0] = "short", m.lines[1] = entry("x", "tusbshim.dll"); },
       "Invalid payload manifest"},
      {"folder part", [&](const TempDir&, Manifest& m) { name_on_line(m, 3, "Treiber/device_binding.exe"); },
       "Invalid payload filename"},
      {"backslash", [&](const TempDir&, Manifest& m) { name_on_line(m, 3, "Treiber\\device_binding.exe"); },
       "Invalid payload filename"},
      {"leading slash", [&](const TempDir&, Manifest& m) { name_on_line(m, 3, "/device_binding.exe"); },
       "Invalid payload filename"},
      {"drive prefix", [&](const TempDir&, Manifest& m) { name_on_line(m, 3, "C:x"); }, "Invalid payload filename"},
      {"drive prefix, lower case", [&](const TempDir&, Manifest& m) { name_on_line(m, 3, "c:device_binding.exe"); },
       "Invalid payload filename"},
      {"invalid name after a mismatch: the mismatch decides",
       [&](const TempDir&, Manifest& m) { m.lines[0] = entry("x", "TavoDrv.dll"), name_on_line(m, 1, "a/b"); },
       "Payload checksum mismatch"},
      {"colon later in the name passes the name check",
       [&](const TempDir&, Manifest& m) { name_on_line(m, 3, "ab:c"); }, "Cannot read input file"},
      {"name \".\" is the folder", [&](const TempDir&, Manifest& m) { name_on_line(m, 3, "."); },
       "Cannot read input file"},
      {"name \"..\" is a folder", [&](const TempDir&, Manifest& m) { name_on_line(m, 3, ".."); },
       "Cannot read input file"},
      {"NUL inside the name",
       [&](const TempDir&, Manifest& m) { name_on_line(m, 1, std::string("tusbshim.dll\0x", 14)); },
       "Cannot read input file"},
      {"listed file missing",
       [](const TempDir& d, Manifest&) { std::filesystem::remove(tavo::test::std_path(d / L"TAVO-starten.exe")); },
       "Cannot read input file"},
      {"listed file is a folder",
       [](const TempDir& d, Manifest&) {
         std::filesystem::remove(tavo::test::std_path(d / L"TAVO-starten.exe"));
         tavo::test::make_directories(d / L"TAVO-starten.exe");
       },
       "Cannot read input file"},
      {"TavoDrv.dll listed with its digest but not the patched build",
       [](const TempDir& d, Manifest& m) {
         tavo::test::write_file(d / L"TavoDrv.dll", "unpatched");
         m.lines[0] = entry("unpatched", "TavoDrv.dll");
       },
       "Wrong patched DLL"},
      {"TavoDrv.dll not listed and not the patched build",
       [&](const TempDir& d, Manifest& m) {
         tavo::test::write_file(d / L"TavoDrv.dll", "unpatched");
         m.lines[0] = entry(shim, "tusbshim.dll");
       },
       "Wrong patched DLL"},
      {"TavoDrv.dll not listed and missing",
       [&](const TempDir& d, Manifest& m) {
         std::filesystem::remove(tavo::test::std_path(d / L"TavoDrv.dll"));
         m.lines[0] = entry(shim, "tusbshim.dll");
       },
       "Cannot read input file"},
      {"count checked before the DLL",
       [](const TempDir& d, Manifest& m) {
         tavo::test::write_file(d / L"TavoDrv.dll", "unpatched");
         m.lines.erase(m.lines.begin());
       },
       "Incomplete payload manifest"},
      // Windows' text mode reads CR CR LF as CR LF, and one CR is then removed; elsewhere one CR stays.
      {"CR CR LF", [](const TempDir&, Manifest& m) { m.line_end = "\r\r\n"; },
       build_config::windows ? "verified" : "Cannot read input file"},
  };
  for (const PayloadCase& c : cases) {
    SCOPED_TRACE(c.title);
    TempDir dir;
    Manifest manifest;
    make_payload(dir, manifest);
    c.change(dir, manifest);
    EXPECT_EQ(verify(dir, manifest), c.expected);
  }
}

// A name is taken as written: with a space at its end it names another file (Windows keeps that space in the
// long-path form), so the listed file is missing.
constexpr char kTrailingSpacesDropped[] = "Wine drops trailing spaces of file names";

TEST_F(PayloadManifest, SpaceAtTheEndNamesAnotherFile) {
  if (tavo::test::running_under_wine()) GTEST_SKIP() << kTrailingSpacesDropped;
  TempDir dir;
  Manifest manifest;
  make_payload(dir, manifest);
  manifest.lines[1] = entry(content_of("tusbshim.dll"), "tusbshim.dll ");
  EXPECT_EQ(verify(dir, manifest), "Cannot read input file");
}

TEST_F(PayloadManifest, MissingManifest) {
  TempDir dir;
  Manifest manifest;
  make_payload(dir, manifest);
  EXPECT_EQ(outcome([&] { verify_payload_manifest(dir.path()); }), "Payload manifest missing");
  tavo::test::make_directories(dir / L"SHA256SUMS.txt");
  EXPECT_EQ(outcome([&] { verify_payload_manifest(dir.path()); }), "Payload manifest missing");
  EXPECT_EQ(outcome([&] { verify_payload_manifest(dir / L"Dateien"); }), "Payload manifest missing");
}

// ---- Software ----------------------------------------------------------------------------------------

class SoftwareManifest : public ::testing::Test {
 protected:
  // count files below the folder, listed in order, most in subfolders.
  static void make_software(const TempDir& dir, Manifest& manifest, int count) {
    for (int i = 0; i < count; ++i) {
      const std::string name = (i % 3 == 0 ? "Tavo/Presets/p" : i % 3 == 1 ? "App/Bin/b" : "f") + std::to_string(i);
      const std::string content = "file " + std::to_string(i);
      tavo::test::write_file(dir / tavo::wide_from_utf8(name), content);
      manifest.lines.push_back(entry(content, name));
    }
  }

  static std::string verify(const TempDir& dir, const Manifest& manifest) {
    tavo::test::write_file(dir / L"SHA256SUMS.txt", manifest.text());
    return outcome([&] { verify_software_manifest(dir.path()); });
  }
};

TEST_F(SoftwareManifest, Cases) {
  struct Case {
    const char* title;
    std::function<void(const TempDir&, Manifest&)> change;
    const char* expected;
  };
  // The case's file, written under its real name and listed under the given one in place of line 50.
  const auto listed = [](const char* real, const char* listed_as) {
    return [=](const TempDir& d, Manifest& m) {
      tavo::test::write_file(d / tavo::wide_from_utf8(real), "listed");
      m.lines[50] = entry("listed", listed_as);
    };
  };
  const char* const kOk = "verified";
  const char* const kBadPath = "Invalid software path";
  const Case cases[] = {
      {"100 valid lines", [](const TempDir&, Manifest&) {}, kOk},
      {"99 valid lines", [](const TempDir&, Manifest& m) { m.lines.pop_back(); }, "Bundled software incomplete"},
      {"99 lines, the last mismatching: lines are checked before the count",
       [](const TempDir&, Manifest& m) { m.lines.pop_back(), m.lines.back() = entry("x", m.lines.back().substr(66)); },
       "Bundled software checksum mismatch"},
      {"101 lines", [](const TempDir&, Manifest& m) { m.lines.push_back(m.lines[0]); }, kOk},
      {"empty manifest", [](const TempDir&, Manifest& m) { m.lines.clear(); }, "Bundled software incomplete"},
      {"CR LF line ends, last without",
       [](const TempDir&, Manifest& m) { m.line_end = "\r\n", m.end_last_line = false; }, kOk},
      {"ends with an empty line", [](const TempDir&, Manifest& m) { m.suffix = "\n"; }, "Invalid software manifest"},
      {"byte-order mark", [](const TempDir&, Manifest& m) { m.prefix = "\xEF\xBB\xBF"; }, "Invalid software manifest"},
      {"binary marker", [](const TempDir&, Manifest& m) { m.lines[7][65] = '*'; }, "Invalid software manifest"},
      {"short line", [](const TempDir&, Manifest& m) { m.lines[7].resize(66); }, "Invalid software manifest"},
      {"upper-case digest",
       [](const TempDir&, Manifest& m) { m.lines[7] = upper(m.lines[7].substr(0, 64)) + m.lines[7].substr(64); },
       "Bundled software checksum mismatch"},
      {"content changed", [](const TempDir& d, Manifest&) { tavo::test::write_file(d / L"App/Bin/b1", "changed"); },
       "Bundled software checksum mismatch"},
      {"slashes", listed("App/Bin/Tavo.exe", "App/Bin/Tavo.exe"), kOk},
      {"backslashes", listed("App/Bin/Tavo.exe", "App\\Bin\\Tavo.exe"), kOk},
      {"mixed separators and runs", listed("App/Bin/Tavo.exe", "App\\/Bin//Tavo.exe"), kOk},
      {"dot component", listed("App/x", "./App/x"), kOk},
      {"component with two dots and a letter", listed("App/..a/x", "App/..a/x"), kOk},
      {"UTF-8 names",
       listed("\xC3\x84rger/gr\xC3\xBC\xC3\x9F"
              "e.txt",
              "\xC3\x84rger/gr\xC3\xBC\xC3\x9F"
              "e.txt"),
       kOk},
      {"names a folder", listed("App/x", "App"), "Cannot read input file"},
      {"leading slash", listed("App/x", "/App/x"), kBadPath},
      {"leading backslash", listed("App/x", "\\App\\x"), kBadPath},
      {"network form", listed("App/x", "\\\\server\\share\\x"), kBadPath},
      {"device form", listed("App/x", "\\\\?\\C:\\x"), kBadPath},
      {"drive prefix", listed("App/x", "C:App"), kBadPath},
      {"drive prefix with root", listed("App/x", "c:/App/x"), kBadPath},
      {"parent component", listed("App/x", "App/../App/x"), kBadPath},
      {"parent component with backslashes", listed("App/x", "App\\..\\App\\x"), kBadPath},
      {"parent component at the end", listed("App/x", "App/x/.."), kBadPath},
      {"only a parent component", listed("App/x", ".."), kBadPath},
      {"parent component after a run of separators", listed("App/x", "App//..//App/x"), kBadPath},
      {"first failing line decides",
       [&](const TempDir& d, Manifest& m) {
         listed("App/x", "../x")(d, m), m.lines[10] = entry("x", m.lines[10].substr(66));
       },
       "Bundled software checksum mismatch"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    TempDir dir;
    Manifest manifest;
    make_software(dir, manifest, 100);
    c.change(dir, manifest);
    EXPECT_EQ(verify(dir, manifest), c.expected);
  }
}

// The setup's message comes first, unchanged; the reason after it says what to mend.
TEST_F(SoftwareManifest, ReasonsFollowTheMessage) {
  struct Case {
    const char* title;
    std::function<void(const TempDir&, Manifest&)> change;
    std::string expected;
  };
  const std::string listed_b1 = reference_sha256("file 1");
  const Case cases[] = {
      {"byte-order mark", [](const TempDir&, Manifest& m) { m.prefix = "\xEF\xBB\xBF"; },
       "Invalid software manifest: byte-order mark at the start"},
      {"blank last line", [](const TempDir&, Manifest& m) { m.suffix = "\n"; },
       "Invalid software manifest: blank last line"},
      {"blank line inside", [](const TempDir&, Manifest& m) { m.lines[7].clear(); },
       "Invalid software manifest: blank line"},
      {"binary-mode marker", [](const TempDir&, Manifest& m) { m.lines[7][65] = '*'; },
       "Invalid software manifest: binary-mode marker"},
      {"one blank", [](const TempDir&, Manifest& m) { m.lines[7].erase(64, 1); },
       "Invalid software manifest: one blank between digest and name, two needed"},
      {"no name", [](const TempDir&, Manifest& m) { m.lines[7].resize(66); }, "Invalid software manifest: no file name"},
      {"short digest", [](const TempDir&, Manifest& m) { m.lines[7].erase(0, 1); },
       "Invalid software manifest: no SHA-256 digest of 64 hexadecimal digits at the start"},
      {"upper-case digest",
       [](const TempDir&, Manifest& m) { m.lines[7] = upper(m.lines[7].substr(0, 64)) + m.lines[7].substr(64); },
       "Bundled software checksum mismatch: digest in upper case"},
      {"content changed", [](const TempDir& d, Manifest&) { tavo::test::write_file(d / L"App/Bin/b1", "changed"); },
       "Bundled software checksum mismatch: listed " + listed_b1 + ", computed " + reference_sha256("changed")},
      {"66 files", [](const TempDir&, Manifest& m) { m.lines.resize(66); },
       "Bundled software incomplete: 66 files listed, at least 100 needed"},
      {"a listed file missing",
       [](const TempDir& d, Manifest&) { std::filesystem::remove(tavo::test::std_path(d / L"App/Bin/b1")); },
       "Cannot read input file: missing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    TempDir dir;
    Manifest manifest;
    make_software(dir, manifest, 100);
    c.change(dir, manifest);
    tavo::test::write_file(dir / L"SHA256SUMS.txt", manifest.text());
    std::string found = "verified";
    try {
      verify_software_manifest(dir.path());
    } catch (const tavo::Error& failure) {
      found = tavo::message_with_reason(failure);
    }
    EXPECT_EQ(found, c.expected);
  }
}

TEST_F(SoftwareManifest, SpaceAtTheEndNamesAnotherFile) {
  if (tavo::test::running_under_wine()) GTEST_SKIP() << kTrailingSpacesDropped;
  TempDir dir;
  Manifest manifest;
  make_software(dir, manifest, 100);
  tavo::test::write_file(dir / L"App/x", "listed");
  manifest.lines[50] = entry("listed", "App/x ");
  EXPECT_EQ(verify(dir, manifest), "Cannot read input file");
}

TEST_F(SoftwareManifest, UnlistedFilesAreNotRead) {
  TempDir dir;
  Manifest manifest;
  make_software(dir, manifest, 100);
  tavo::test::make_directories(dir / L"App/Bin/unlisted.dll");  // would fail if it were read as a file
  EXPECT_EQ(verify(dir, manifest), "verified");
}

TEST_F(SoftwareManifest, MissingManifest) {
  TempDir dir;
  EXPECT_EQ(outcome([&] { verify_software_manifest(dir.path()); }), "Bundled software manifest missing");
  tavo::test::make_directories(dir / L"SHA256SUMS.txt");
  EXPECT_EQ(outcome([&] { verify_software_manifest(dir.path()); }), "Bundled software manifest missing");
}

TEST_F(SoftwareManifest, InvalidUtf8RaisesTheSystemsConversionError) {
  TempDir dir;
  Manifest manifest;
  make_software(dir, manifest, 100);
  for (const char* bad : {"App/\xC3(", "App/\xED\xA0\x80", "App/\xC0\xAF", "App/x\xFF"}) {
    SCOPED_TRACE(bad);
    manifest.lines[20] = entry("x", bad);
    tavo::test::write_file(dir / L"SHA256SUMS.txt", manifest.text());
    const auto e = tavo::test::raised<SystemError>([&] { verify_software_manifest(dir.path()); });
    if (!e) continue;
    EXPECT_EQ(e->code(), std::errc::illegal_byte_sequence);  // EILSEQ, ERROR_NO_UNICODE_TRANSLATION
    // The system's own description of the code: glibc's EILSEQ text, Windows' ERROR_NO_UNICODE_TRANSLATION.
    const std::string what = e->what();
    if constexpr (build_config::windows) {
      EXPECT_NE(what.find("Unicode"), std::string::npos) << what;
    } else {
      EXPECT_EQ(what, "Invalid or incomplete multibyte or wide character");
    }
  }
}

}  // namespace
}  // namespace tavo::verify
