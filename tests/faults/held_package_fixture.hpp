#pragma once
// A package and a folder for targets, for tests in which another program works in the package's or the
// installation's folders while a setup runs: its steps are met at chosen system calls through the door.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fs/path_forms.hpp"
#include "install/transaction.hpp"
#include "package_files.hpp"
#include "support/test_support.hpp"
#include "sys/door_control.hpp"
#include "tavo/build_config.hpp"

namespace tavo::test {

// The call that creates a folder: the staging folder is the run's first, its "App" folder the second.
inline const char* const kCreateFolder = build_config::windows ? "CreateDirectoryW" : "mkdirat";

class HeldPackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!write_test_package(dir / L"Paket", payload)) {
      GTEST_SKIP() << "the build was configured without the fixture driver DLL digests";
    }
    package = files_below(dir / L"Paket");
    make_directories(dir / L"Ziele");
    sys::test::skip_pauses(true);
    fault::arm({});
  }
  void TearDown() override {
    sys::test::clear_hooks();
    sys::test::skip_pauses(false);
  }

  fs::Path exe_dir() const { return fs::absolute_normal_form(dir / L"Paket"); }

  // The message of a failed installation; empty when it completed.
  std::string install(const fs::Path& target) {
    return message_raised<std::exception>([&] {
      install::prepare_installation(exe_dir(), fs::absolute_normal_form(dir / L"Paket/Originalsoftware"),
                                    fs::absolute_normal_form(target));
    });
  }

  // Runs `work` just before the run's `n`th call `call`; the returned flag tells whether it ran.
  template <typename Work>
  std::shared_ptr<bool> before(const char* call, long n, Work work) {
    auto ran = std::make_shared<bool>(false);
    sys::test::before_call(call, n, [ran, work]() mutable {
      work();
      *ran = true;
    });
    return ran;
  }

  // The name of the run's staging folder beside `target` ("" when there is none).
  static std::wstring staging_beside(const fs::Path& target) {
    for (const auto& entry : std::filesystem::directory_iterator(std_path(fs::parent(target)))) {
      const std::wstring name = entry.path().filename().wstring();
      if (name.find(L".vorbereitung-") != std::wstring::npos) return name;
    }
    return L"";
  }

  TempDir dir;
  Files payload;
  Files package;  // every file of the package as written
};

}  // namespace tavo::test
