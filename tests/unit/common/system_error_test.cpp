// The platform's error codes against the portable conditions and our own.
#include "common/system_error.hpp"

#include <gtest/gtest.h>

#include <cerrno>

#include "tavo/build_config.hpp"

namespace tavo {
namespace {

struct CodeCase {
  int windows;  // GetLastError value
  int posix;    // errno value
  bool not_found;
  bool missing_parent;
  bool transient_rename;
};

TEST(SystemErrorConditions, OwnConditionsByPlatformCode) {
  const CodeCase cases[] = {
      // Windows code                 POSIX code    not found  missing parent  transient rename
      {2 /* FILE_NOT_FOUND */,        ENOENT,       true,      true,           false},
      {3 /* PATH_NOT_FOUND */,        ENOENT,       true,      true,           false},
      {267 /* DIRECTORY (24H2) */,    ENOTDIR,      true,      false,          false},
      {123 /* INVALID_NAME */,        ENOTDIR,      true,      false,          false},
      {15 /* INVALID_DRIVE */,        ENOTDIR,      true,      false,          false},
      {53 /* BAD_NETPATH */,          ENOTDIR,      true,      false,          false},
      {67 /* BAD_NET_NAME */,         ENOTDIR,      true,      false,          false},
      {32 /* SHARING_VIOLATION */,    EBUSY,        false,     false,          true},
      {183 /* ALREADY_EXISTS */,      EEXIST,       false,     false,          false},
      {87 /* INVALID_PARAMETER */,    EINVAL,       false,     false,          false},
      {145 /* DIR_NOT_EMPTY */,       ENOTEMPTY,    false,     false,          false},
      {1920 /* CANT_ACCESS_FILE */,   ELOOP,        false,     false,          false},
      {21 /* NOT_READY */,            EIO,          false,     false,          false},
  };
  for (const CodeCase& c : cases) {
    const std::error_code code = system_error_code(build_config::windows ? c.windows : c.posix);
    SCOPED_TRACE(code.message());
    EXPECT_EQ(code == ErrorCondition::not_found, c.not_found);
    EXPECT_EQ(code == ErrorCondition::missing_parent, c.missing_parent);
    EXPECT_EQ(code == ErrorCondition::transient_rename, c.transient_rename);
  }
}

TEST(SystemErrorConditions, AccessDeniedIsTransientForARenameOnlyOnWindows) {
  // On POSIX EACCES is nearly always a lasting lack of rights; on Windows a virus scanner holds the folder.
  const std::error_code denied = system_error_code(build_config::windows ? 5 : EACCES);
  EXPECT_EQ(denied, std::errc::permission_denied);
  EXPECT_EQ(denied == ErrorCondition::transient_rename, build_config::windows);
}

TEST(SystemErrorConditions, PortableConditionsOfTheCodesTheProgramMeets) {
  const std::pair<int, std::errc> cases[] = {
      {build_config::windows ? 2 : ENOENT, std::errc::no_such_file_or_directory},
      {build_config::windows ? 183 : EEXIST, std::errc::file_exists},
      {build_config::windows ? 80 : EEXIST, std::errc::file_exists},  // FILE_EXISTS
      {build_config::windows ? 112 : ENOSPC, std::errc::no_space_on_device},
      {build_config::windows ? 17 : EXDEV, std::errc::cross_device_link},
  };
  for (const auto& [code, condition] : cases) EXPECT_EQ(system_error_code(code), condition) << code;
  EXPECT_NE(system_error_code(build_config::windows ? 2 : ENOENT), std::errc::permission_denied);
}

TEST(SystemErrorCode, ItsMessageIsTheSystemsDescriptionOnOneLine) {
  const std::string message = system_error_code(build_config::windows ? 5 : EACCES).message();
  if constexpr (build_config::windows) {
    EXPECT_NE(message.find("denied"), std::string::npos) << message;  // FormatMessageW, in English where it can
  } else {
    EXPECT_EQ(message, "Permission denied");
  }
  EXPECT_EQ(message.find_first_of("\r\n"), std::string::npos) << message;
}

}  // namespace
}  // namespace tavo
