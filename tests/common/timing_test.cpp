// test-labels: threads
#include "common/timing.h"

#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <atomic>
#include <chrono>

namespace survey {
namespace {

class DelayTest : public ::testing::Test {
 protected:
  void TearDown() override { plat::test::Reset(); }
};

TEST_F(DelayTest, DelayWaitsOnTheVirtualTickWithoutSleeping) {
  plat::test::UseVirtualClock(1000, plat::test::MakeSystemTime(2013, 3, 5, 14, 7, 9),
                              plat::test::ClockMode::Auto);
  const auto realStart = std::chrono::steady_clock::now();
  const struct {
    DWORD start;
    int ms;
    DWORD elapsed;
  } cases[] = {
      {1000, 0, 1},           // still waits for the tick to move
      {1000, 50, 51},
      {0xFFFFFFF0u, 50, 51},  // across the wrap
      {1000, -5, 0},
  };
  for (const auto& c : cases) {
    plat::test::SetTick(c.start);
    DelayMs(c.ms);
    EXPECT_EQ(GetTickCount() - c.start, c.elapsed) << c.ms;
  }
  EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::seconds(2));
}

// The wait serves nothing: a send made to the waiting thread stays unanswered until it is over.
TEST_F(DelayTest, ServesNoSendWhileItWaits) {
  static std::atomic<int> handled{0};
  handled = 0;
  WNDCLASSA wc{};
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_USER + 1) {
      ++handled;
      return 0;
    }
    return DefWindowProcA(h, m, w, l);
  };
  wc.lpszClassName = "DelayTestWnd";
  RegisterClassA(&wc);
  HWND wnd = CreateWindowA("DelayTestWnd", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(wnd, nullptr);
  struct Sender {
    HWND wnd;
    std::atomic<int> sending{0};
    std::atomic<int> done{0};
  } sender{wnd};
  HANDLE t = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        auto* s = static_cast<Sender*>(p);
        s->sending = 1;
        SendMessageA(s->wnd, WM_USER + 1, 0, 0);
        s->done = 1;
        return 0;
      },
      &sender, 0, nullptr);
  ASSERT_NE(t, nullptr);
  while (sender.sending.load() == 0) Sleep(1);
  DelayMs(30);
  EXPECT_EQ(handled.load(), 0);
  EXPECT_EQ(sender.done.load(), 0);
  // Served once this thread looks at its messages again.
  MSG msg;
  while (sender.done.load() == 0) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(1);
  }
  EXPECT_EQ(handled.load(), 1);
  WaitForSingleObject(t, INFINITE);
  CloseHandle(t);
  DestroyWindow(wnd);
}

}  // namespace
}  // namespace survey
