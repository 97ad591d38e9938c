// Timers on the virtual clock: periods, coalescing after busy waits, KillTimer, modal loops,
// clamping and replacement.
#include <chrono>

#include "../../platform/src/modal.h"
#include "window_test_util.h"

namespace {

using namespace wintest;

constexpr DWORD kStart = 10000;

class TimersTest : public WindowTest {
 protected:
  void StartClock(plat::test::ClockMode mode = plat::test::ClockMode::Auto) {
    plat::test::UseVirtualClock(kStart, plat::test::MakeSystemTime(2024, 5, 1), mode);
  }
};

TEST_F(TimersTest, A300MsTimerFiresTenTimesInThreeVirtualSeconds) {
  StartClock();
  HWND h = Top(0);
  std::vector<DWORD> ticks;
  On(WM_TIMER, [&](HWND hwnd, WPARAM id, LPARAM, LRESULT*) {
    if (id == 1) ticks.push_back(GetTickCount() - kStart);
    if (id == 2) {
      KillTimer(hwnd, 1);
      KillTimer(hwnd, 2);
      PostQuitMessage(0);
    }
    return true;
  });
  const auto realStart = std::chrono::steady_clock::now();
  SetTimer(h, 1, 300, nullptr);
  SetTimer(h, 2, 3000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  const auto real = std::chrono::steady_clock::now() - realStart;
  EXPECT_EQ(ticks, (std::vector<DWORD>{300, 600, 900, 1200, 1500, 1800, 2100, 2400, 2700, 3000}));
  EXPECT_LT(real, std::chrono::milliseconds(100));
}

TEST_F(TimersTest, FiresInsideAModalLoop) {
  StartClock();
  HWND owner = Top();
  HWND modal = CreateWindowExW(0, L"TestWnd", L"box", WS_POPUP, 0, 0, 20, 20, owner, nullptr, nullptr, nullptr);
  int ticks = 0;
  On(WM_TIMER, [&](HWND, WPARAM, LPARAM, LRESULT*) {
    ++ticks;
    return true;
  });
  plat::test::OnModalStart([](HWND, plat::test::ModalKind) {});  // the test drives the loop itself
  SetTimer(owner, 1, 300, nullptr);  // the owner's watchdog keeps ticking under the modal window
  const auto end = plat::detail::RunModalLoop(modal, plat::detail::ModalKind::MessageBox, [&] { return ticks >= 3; });
  EXPECT_EQ(end, plat::detail::ModalEnd::Ended);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(GetTickCount() - kStart, 900u);
}

TEST_F(TimersTest, ABusyWaitDeliversOneTickAfterwards) {
  StartClock();
  HWND h = Top(0);
  SetTimer(h, 1, 300, nullptr);
  const DWORD start = GetTickCount();
  while (static_cast<int32_t>(GetTickCount() - start) < 1000) plat::SpinPause();
  EXPECT_TRUE(rec.Of(WM_TIMER).empty());  // never during the busy wait
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));  // one outstanding, not three
  plat::test::PumpUntilIdle();
  EXPECT_EQ(rec.Of(WM_TIMER).size(), 1u);
  // Late ticks coalesce: the next one is the first due time after now.
  ASSERT_GT(GetMessageW(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(GetTickCount() - kStart, 1200u);
}

TEST_F(TimersTest, KillTimerDropsThePendingTick) {
  StartClock(plat::test::ClockMode::Manual);
  HWND h = Top(0);
  SetTimer(h, 4, 100, nullptr);
  plat::test::Advance(150);
  EXPECT_TRUE(KillTimer(h, 4));
  EXPECT_FALSE(KillTimer(h, 4));
  plat::test::PumpUntilIdle();
  EXPECT_TRUE(rec.Of(WM_TIMER).empty());
  EXPECT_TRUE(plat::test::Timers(h).empty());
}

TEST_F(TimersTest, PeriodsAreClampedAndReplacementRestartsThePeriod) {
  StartClock(plat::test::ClockMode::Manual);
  HWND h = Top(0);
  struct Case {
    UINT ms;
    uint32_t period;
  };
  for (const Case& c : {Case{0, 10}, Case{1, 10}, Case{10, 10}, Case{300, 300}, Case{0x7FFFFFFFu, 0x7FFFFFFFu},
                        Case{0xFFFFFFFFu, 0x7FFFFFFFu}}) {
    ASSERT_EQ(SetTimer(h, 9, c.ms, nullptr), 9u);
    auto timers = plat::test::Timers(h);
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0].period, c.period) << c.ms;
  }
  SetTimer(h, 9, 100, nullptr);
  plat::test::Advance(80);
  SetTimer(h, 9, 100, nullptr);  // restarts: due at 180, not at 100
  plat::test::Advance(50);
  plat::test::PumpUntilIdle();
  EXPECT_TRUE(rec.Of(WM_TIMER).empty());
  plat::test::Advance(50);
  plat::test::PumpUntilIdle();
  EXPECT_EQ(rec.Of(WM_TIMER).size(), 1u);
}

TEST_F(TimersTest, TimersDieWithTheirWindow) {
  StartClock(plat::test::ClockMode::Manual);
  HWND top = Top(0);
  HWND kid = Kid(top, 3, {0, 0, 5, 5});
  SetTimer(kid, 1, 50, nullptr);
  SetTimer(top, 2, 50, nullptr);
  DestroyWindow(top);
  plat::test::Advance(100);
  plat::test::PumpUntilIdle();
  EXPECT_TRUE(rec.Of(WM_TIMER).empty());
  EXPECT_EQ(SetTimer(kid, 1, 50, nullptr), 0u);
}

}  // namespace
