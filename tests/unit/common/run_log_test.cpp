// Lines of the run's log: names shown as UTF-8 whatever they hold, and steps with their outcome.
#include "common/run_log.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tavo::run_log {
namespace {

struct Lines final : Writer {
  std::vector<std::string> lines;
  void line(std::string_view text) noexcept override { lines.emplace_back(text); }
};

TEST(RunLog, NamesAreQuotedAsUtf8WithWhatIsNoTextEscaped) {
  EXPECT_EQ(run_log::quoted(L"Gr\u00fc\u00dfe/Fl\u00e4che.tvp"), "\"Gr\xc3\xbc\xc3\x9f" "e/Fl\xc3\xa4" "che.tvp\"");
  EXPECT_EQ(run_log::quoted(L"\U0001F3B9 Tasten"), "\"\xf0\x9f\x8e\xb9 Tasten\"");
  if constexpr (sizeof(wchar_t) == 2) {
    // A lone surrogate of a Windows name.
    EXPECT_EQ(run_log::quoted(std::wstring(L"a") + wchar_t(0xD800) + L"b"), "\"a\\uD800b\"");
    EXPECT_EQ(run_log::quoted(std::wstring(1, wchar_t(0xDC01))), "\"\\uDC01\"");
  } else {
    // A byte of a POSIX name that is no UTF-8, as the file-name conversion keeps it.
    EXPECT_EQ(run_log::quoted(std::wstring(L"a") + wchar_t(0xDCFF) + L"b"), "\"a\\xFFb\"");
  }
  EXPECT_EQ(run_log::unquoted(L"x y"), "x y");
}

TEST(RunLog, AStepSaysHowItEnded) {
  Lines writer;
  {
    const Recording recording(writer);
    { const Step step("Copying"); }
    try {
      const Step step("Flushing");
      throw std::runtime_error("flush");
    } catch (const std::runtime_error&) {
    }
    // A step inside a handler that is not left by an exception itself has done.
    try {
      throw std::runtime_error("earlier");
    } catch (const std::runtime_error&) {
      const Step step("Reporting");
    }
  }
  note("nobody listens any more");
  ASSERT_EQ(writer.lines.size(), 6u);
  EXPECT_EQ(writer.lines[0], "Copying: started");
  EXPECT_TRUE(writer.lines[1].rfind("Copying: done (", 0) == 0) << writer.lines[1];
  EXPECT_TRUE(writer.lines[3].rfind("Flushing: failed (", 0) == 0) << writer.lines[3];
  EXPECT_TRUE(writer.lines[5].rfind("Reporting: done (", 0) == 0) << writer.lines[5];
}

}  // namespace
}  // namespace tavo::run_log
