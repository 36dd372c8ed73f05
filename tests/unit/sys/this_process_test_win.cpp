// The program's pauses keep its windows answering: Windows takes a window that asks for no messages for 5 s
// for hung, and the final rename may wait many seconds for a scanner.
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "sys/this_process.hpp"

namespace tavo {
namespace {

TEST(ThisProcess, WindowsOfTheThreadAnswerWhileItPauses) {
  const HWND window = ::CreateWindowExW(0, L"STATIC", L"pausing", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  int answered = 0;
  int sent = 0;
  std::thread probe([&] {
    for (; sent < 5; ++sent) {
      DWORD_PTR result = 0;
      if (::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0) ++answered;
      ::Sleep(100);
    }
  });
  sleep_milliseconds(1500);  // as the rename's retries wait
  probe.join();
  ::DestroyWindow(window);
  EXPECT_EQ(sent, 5);
  EXPECT_EQ(answered, 5);
}

}  // namespace
}  // namespace tavo
