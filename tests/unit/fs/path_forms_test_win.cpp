#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "fs/path_forms.hpp"
#include "support/test_support.hpp"

namespace tavo::fs {
namespace {

using test::TempDir;

TEST(SystemPathText, FilesTakeTheLongPathFormAndDevicesStayDevices) {
  EXPECT_EQ(system_path_text(Path(L"D:\\a/b\\..\\c")), L"\\\\?\\D:\\a\\c");
  EXPECT_EQ(system_path_text(Path(L"\\\\server\\share\\a")), L"\\\\?\\UNC\\server\\share\\a");
  EXPECT_EQ(system_path_text(Path(L"NUL")), L"\\\\.\\NUL");
  EXPECT_EQ(system_path_text(Path()), L"");
}

TEST(LaunchForm, ShortPathsStayAndLongOnesTakeTheirShortNameWithoutPrefix) {
  TempDir dir;
  EXPECT_EQ(launch_form(dir / L"tool.exe", MAX_PATH).text(), (dir / L"tool.exe").text());

  Path deep = dir.path();
  while (deep.text().size() < MAX_PATH + 20) deep = join(deep, L"Ein Ordner mit einem langen Namen");
  const Path program = join(deep, L"device_binding.exe");
  test::write_file(program, "MZ");
  const Path launched = launch_form(program, MAX_PATH);
  if (launched.text() == program.text()) GTEST_SKIP() << "this volume keeps no 8.3 short names";
  EXPECT_LT(launched.text().size(), static_cast<std::size_t>(MAX_PATH));
  EXPECT_NE(launched.text().rfind(L"\\\\?\\", 0), 0u);
  // The short name leads to the very file.
  EXPECT_NE(::GetFileAttributesW(launched.text().c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace tavo::fs
