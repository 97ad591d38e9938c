// The one clock on a single thread: ticks and their wrap, local time, sleeps and waits on the
// virtual clock, the busy-wait helpers, and the real-mode sources.
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <ctime>

#include "../../platform/src/core.h"

namespace {

using plat::test::ClockMode;
using plat::test::MakeSystemTime;

const SYSTEMTIME kStart = MakeSystemTime(2013, 3, 5, 14, 7, 9, 250);

class ClockTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_TRUE(plat::detail::WaitThreadsEnded(2000));
    plat::detail::RetireAllHandles();
    plat::detail::ResetThreads();
    plat::detail::ResetClock();
  }
};

// Real time that a statement takes, in ms.
template <class F>
double RealMs(F f) {
  auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

uint32_t BootTickLow() {
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

TEST_F(ClockTest, TickArithmeticAcrossTheWrapAndHighValues) {
  struct Case {
    uint32_t start;
    uint32_t advance;
    uint32_t expected;
  };
  const Case cases[] = {
      {0xFFFFFF00u, 0x200u, 0x100u},              // the 2^32 wrap
      {0xFFFFFFFFu, 1u, 0u},                      // exactly onto 0
      {1728000000u, 1u, 1728000001u},             // just past the 20-day mark
      {0x7FFFFFFFu, 1u, 0x80000000u},             // 2^31: negative as a signed value
      {3000000000u, 59000u, 3000059000u},         // well above 2^31
  };
  plat::test::UseVirtualClock(0, kStart, ClockMode::Manual);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    plat::test::SetTick(c.start);
    const DWORD start = GetTickCount();
    EXPECT_EQ(start, c.start);
    plat::test::Advance(c.advance);
    const DWORD now = GetTickCount();
    EXPECT_EQ(now, c.expected);
    EXPECT_EQ(static_cast<DWORD>(now - start), c.advance);                // unsigned difference
    EXPECT_GT(static_cast<int32_t>(now - start), 0);                      // signed difference
    EXPECT_LT(static_cast<int32_t>(start - now), 0);
  }
  EXPECT_GT(GetTickCount(), 1728000000u);  // the raw comparison of the uptime check
}

// Deadlines live on the 64-bit clock: a wait that crosses the 32-bit wrap lasts its full time.
TEST_F(ClockTest, WaitsAcrossTheWrapLastTheirFullTime) {
  plat::test::UseVirtualClock(0xFFFFFF00u, kStart, ClockMode::Auto);
  Sleep(0x200);
  EXPECT_EQ(GetTickCount(), 0x100u);
  HANDLE e = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  plat::test::SetTick(0xFFFFFFF0u);
  EXPECT_EQ(WaitForSingleObject(e, 100), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(GetTickCount(), 0x54u);
}

TEST_F(ClockTest, AutoModeSleepsAndTimeOutsPassWithoutRealSleeping) {
  plat::test::UseVirtualClock(1000, kStart, ClockMode::Auto);
  HANDLE e = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  const double real = RealMs([&] {
    Sleep(59000);
    EXPECT_EQ(GetTickCount(), 60000u);
    EXPECT_EQ(WaitForSingleObject(e, 2000), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(GetTickCount(), 62000u);
    for (int i = 0; i < 100; ++i) Sleep(600000);  // a run of 1000 minutes
    EXPECT_EQ(GetTickCount(), 60062000u);
  });
  EXPECT_LT(real, 1000.0);
  // A signalled event or a zero time-out does not let time pass.
  SetEvent(e);
  EXPECT_EQ(WaitForSingleObject(e, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(e, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  Sleep(0);
  EXPECT_EQ(GetTickCount(), 60062000u);
}

// A busy wait in the style of the programs: spin on the signed tick difference, pausing each turn.
TEST_F(ClockTest, SpinPauseLetsVirtualTimePass) {
  plat::test::UseVirtualClock(0xFFFFFFF0u, kStart, ClockMode::Auto);
  for (uint32_t delay : {0u, 1u, 50u}) {
    SCOPED_TRACE(delay);
    const DWORD start = GetTickCount();
    while (static_cast<int32_t>(GetTickCount() - start) <= static_cast<int32_t>(delay)) plat::SpinPause();
    EXPECT_EQ(GetTickCount() - start, delay + 1);
  }
}

// Safety net: reading the tick over and over without any layer wait still lets time move.
TEST_F(ClockTest, TickReadsAloneLetAutoTimePass) {
  plat::test::UseVirtualClock(500, kStart, ClockMode::Auto);
  long reads = 0;
  while (GetTickCount() == 500u && reads < 1000000) ++reads;
  EXPECT_EQ(GetTickCount(), 501u);
  EXPECT_LT(reads, 20000);
}

TEST_F(ClockTest, LocalTimeRunsWithTheVirtualClockAndCarries) {
  struct Case {
    SYSTEMTIME start;
    uint32_t advance;
    SYSTEMTIME expected;
  };
  const Case cases[] = {
      {MakeSystemTime(2013, 3, 5, 14, 7, 9, 250), 0, MakeSystemTime(2013, 3, 5, 14, 7, 9, 250)},
      {MakeSystemTime(2013, 3, 5, 23, 59, 59, 900), 150, MakeSystemTime(2013, 3, 6, 0, 0, 0, 50)},
      {MakeSystemTime(2013, 2, 28, 23, 59, 59, 999), 1, MakeSystemTime(2013, 3, 1)},
      {MakeSystemTime(2012, 2, 28, 23, 59, 59, 999), 1, MakeSystemTime(2012, 2, 29)},
      {MakeSystemTime(2000, 2, 28, 12), 86400000, MakeSystemTime(2000, 2, 29, 12)},
      {MakeSystemTime(2100, 2, 28, 12), 86400000, MakeSystemTime(2100, 3, 1, 12)},
      {MakeSystemTime(2013, 4, 30, 23, 0), 3600000, MakeSystemTime(2013, 5, 1)},
      {MakeSystemTime(2013, 12, 31, 23, 59, 59, 500), 500, MakeSystemTime(2014, 1, 1)},
      {MakeSystemTime(2013, 1, 1), 0xFFFFFFFFu, MakeSystemTime(2013, 2, 19, 17, 2, 47, 295)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.expected.wYear << "-" << c.expected.wMonth << "-" << c.expected.wDay);
    plat::test::UseVirtualClock(0xFFFFFF00u, c.start, ClockMode::Manual);
    plat::test::Advance(c.advance);
    SYSTEMTIME st{};
    GetLocalTime(&st);
    EXPECT_EQ(st.wYear, c.expected.wYear);
    EXPECT_EQ(st.wMonth, c.expected.wMonth);
    EXPECT_EQ(st.wDay, c.expected.wDay);
    EXPECT_EQ(st.wDayOfWeek, c.expected.wDayOfWeek);
    EXPECT_EQ(st.wHour, c.expected.wHour);
    EXPECT_EQ(st.wMinute, c.expected.wMinute);
    EXPECT_EQ(st.wSecond, c.expected.wSecond);
    EXPECT_EQ(st.wMilliseconds, c.expected.wMilliseconds);
  }
  // Known weekdays: 2013-03-05 was a Tuesday, 2000-01-01 a Saturday.
  EXPECT_EQ(MakeSystemTime(2013, 3, 5).wDayOfWeek, 2);
  EXPECT_EQ(MakeSystemTime(2000, 1, 1).wDayOfWeek, 6);
}

TEST_F(ClockTest, SetTickAndSetLocalTimeRunOnFromTheirValues) {
  plat::test::UseVirtualClock(0, kStart, ClockMode::Manual);
  plat::test::Advance(1000);
  plat::test::SetTick(1728000001u);
  plat::test::SetLocalTime(MakeSystemTime(2014, 6, 1, 8));
  plat::test::Advance(61000);
  EXPECT_EQ(GetTickCount(), 1728061001u);
  SYSTEMTIME st{};
  GetLocalTime(&st);
  EXPECT_EQ(st.wHour, 8);
  EXPECT_EQ(st.wMinute, 1);
  EXPECT_EQ(st.wSecond, 1);
  GetLocalTime(nullptr);  // harmless
}

TEST_F(ClockTest, RealModeReadsTheSystemClocks) {
  EXPECT_FALSE(plat::detail::ClockIsVirtual());
  plat::test::SetTickStart(0x80000000u);
  const uint32_t before = BootTickLow();
  const DWORD tick = GetTickCount();
  const uint32_t after = BootTickLow();
  EXPECT_GE(static_cast<uint32_t>(tick - 0x80000000u - before), 0u);
  EXPECT_LE(static_cast<uint32_t>(tick - 0x80000000u - before), after - before);

  const double real = RealMs([] { Sleep(5); });
  EXPECT_GE(real, 4.0);  // the deadline is whole ms on a clock read in whole ms

  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm expected{};
  localtime_r(&ts.tv_sec, &expected);
  SYSTEMTIME st{};
  GetLocalTime(&st);
  EXPECT_EQ(st.wYear, expected.tm_year + 1900);
  EXPECT_EQ(st.wMonth, expected.tm_mon + 1);
  EXPECT_LT(st.wMilliseconds, 1000);
  const long gap = (st.wHour * 3600L + st.wMinute * 60 + st.wSecond) -
                   (expected.tm_hour * 3600L + expected.tm_min * 60 + expected.tm_sec);
  EXPECT_TRUE(gap >= 0 && gap <= 2) << gap;  // (a midnight between the two reads is not covered)

  // A real poll time-out is capped and never negative.
  EXPECT_EQ(plat::detail::RealPollTimeout(0), 0);
  EXPECT_EQ(plat::detail::RealPollTimeout(plat::detail::kNoDeadline), 1000);
  const int t = plat::detail::RealPollTimeout(plat::detail::NowMs() + 300);
  EXPECT_TRUE(t > 250 && t <= 300) << t;
}

// PLAT_TICK_START is read once, when the clock is first used: checked in a fresh process.
TEST(ClockEnvironment, TickStartComesFromTheEnvironment) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("PLAT_TICK_START", "1728000000", 1);
        const uint32_t boot = BootTickLow();
        const uint32_t offset = GetTickCount() - boot;
        std::_Exit(offset >= 1728000000u && offset < 1728000100u ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
