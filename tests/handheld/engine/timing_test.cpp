// test-labels: threads
#include "engine/timing.h"

#include <gtest/gtest.h>
#include <plat/testing.h>


#include "engine/state.h"
#include "engine_test_support.h"

namespace handheld {
namespace {

class TimingTest : public ::testing::Test {
 protected:
  void TearDown() override {
    plat::test::Reset();
    ResetEngineState();
  }
};

TEST_F(TimingTest, IntervalGivesDivisorAndReadingsPerSecond) {
  const struct {
    int model;
    float interval;
    int32_t divisor;
    int32_t perSecond;
    float periodMs;
  } cases[] = {
      {kModelRz12, 0.2f, 2, 4, 91.0f},       {kModelRz12, 0.1f, 1, 9, 91.0f},
      {kModelRz12, 0.5f, 5, 2, 91.0f},       {kModelRz12, 1.0f, 11, 1, 91.0f},
      {kModelRz12, 2.0f, 22, 1, 91.0f},      {kModelRz12, 0.05f, 1, 11, 91.0f},
      {kModelRz45, 0.2f, 2, 4, 91.0f},       {kModelRz89, 2.0f, 22, 1, 91.0f},
      {kModelRz27Mk2, 0.1f, 2, 9, 47.0f},    {kModelRz27Mk2, 0.5f, 11, 2, 47.0f},
      {kModelRz27Mk2, 1.0f, 21, 1, 47.0f},   {kModelRz27Mk2, 0.05f, 1, 19, 47.0f},
      // Intervals no dialog gives, as an edited settings file can hold them.
      {kModelRz12, 0.0f, 1, 11, 91.0f},      {kModelRz27Mk2, 0.0f, 1, 20, 47.0f},
      {kModelRz12, -0.0f, 1, 11, 91.0f},     {kModelRz12, -1.0f, 1, 1, 91.0f},
      {kModelRz12, 1e30f, 1 << 30, 1, 91.0f}, {kModelRz12, 1e-30f, 1, 11, 91.0f},
      {kModelRz12, 3e38f, 1 << 30, 1, 91.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("model " + std::to_string(c.model) + " interval " + std::to_string(c.interval));
    test::UseBuild(c.model);
    LinkState.framePeriodMs = 72.0f;
    SurveySettings.readingInterval = c.interval;
    ComputeSampleDivisor();
    EXPECT_EQ(LinkState.sampleDivisor, c.divisor);
    EXPECT_EQ(LinkState.readingsPerSecond, c.perSecond);
    EXPECT_EQ(LinkState.framePeriodMs, c.periodMs);
    EXPECT_EQ(SurveySettings.readingInterval, c.interval);
  }
}

TEST_F(TimingTest, Zol12ForcesOneSecondAndUnknownModelSetsOnlyThePeriod) {
  test::UseBuild(kModelZol12);
  SurveySettings.readingInterval = 0.2f;
  ComputeSampleDivisor();
  EXPECT_EQ(SurveySettings.readingInterval, 1.0f);
  EXPECT_EQ(LinkState.sampleDivisor, 1);
  EXPECT_EQ(LinkState.readingsPerSecond, 1);
  EXPECT_EQ(LinkState.framePeriodMs, 91.0f);

  test::UseBuild(8);
  SurveySettings.readingInterval = 0.2f;
  LinkState.framePeriodMs = 47.0f;
  LinkState.sampleDivisor = 77;
  LinkState.readingsPerSecond = 66;
  ComputeSampleDivisor();
  EXPECT_EQ(LinkState.framePeriodMs, 91.0f);
  EXPECT_EQ(LinkState.sampleDivisor, 77);
  EXPECT_EQ(LinkState.readingsPerSecond, 66);
  EXPECT_EQ(SurveySettings.readingInterval, 0.2f);
}

TEST_F(TimingTest, CoreServesOtherFramePeriods) {
  const struct {
    float interval;
    double periodMs;
    int clamp;
    int32_t divisor;
    int32_t perSecond;
  } cases[] = {
      {0.2f, 72.0, 14, 3, 4},   // old 7-byte RZ27 frames
      {0.05f, 72.0, 14, 1, 14},
      {0.0f, 72.0, 14, 1, 14},
      {0.2f, 0.0, 11, 1 << 30, 4},  // a zero period still gives a bounded divisor
      {0.2f, 91.0, 0, 2, 1},        // a clamp below 1 still gives one reading per second
  };
  for (const auto& c : cases) {
    test::UseBuild(kModelRz27);
    SurveySettings.readingInterval = c.interval;
    int32_t divisor = 0;
    int32_t perSecond = 0;
    ComputeSampleDivisorCore(c.periodMs, c.clamp, &divisor, &perSecond);
    EXPECT_EQ(divisor, c.divisor) << c.interval << " " << c.periodMs;
    EXPECT_EQ(perSecond, c.perSecond) << c.interval << " " << c.periodMs;
  }
}

TEST_F(TimingTest, KeepAliveResetsTheIdleTimerEvery59Seconds) {
  plat::test::UseVirtualClock(0, plat::test::MakeSystemTime(2013, 3, 5, 14, 7, 9),
                              plat::test::ClockMode::Manual);
  WorkerThreads.keepAliveRun = 1;
  HANDLE thread = CreateThread(nullptr, 0, KeepAliveThread, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  plat::test::Advance(0);
  EXPECT_EQ(plat::test::IdleTimerResets(), 1u);
  plat::test::Advance(58999);
  EXPECT_EQ(plat::test::IdleTimerResets(), 1u);
  plat::test::Advance(1);
  EXPECT_EQ(plat::test::IdleTimerResets(), 2u);  // 59,000 ms
  plat::test::Advance(59000);
  EXPECT_EQ(plat::test::IdleTimerResets(), 3u);  // 118,000 ms

  WorkerThreads.keepAliveRun = 0;
  EXPECT_EQ(WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  plat::test::Advance(59000);
  EXPECT_EQ(WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(plat::test::IdleTimerResets(), 3u);
  DWORD code = 1;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 0u);
  CloseHandle(thread);
}

}  // namespace
}  // namespace handheld
