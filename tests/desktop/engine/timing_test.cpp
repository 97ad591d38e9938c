// Frames per reading from the reading interval, by model, with the intervals no dialog gives.
#include "engine/timing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "desktop_test_support.h"
#include "engine/plot_scale.h"
#include "engine/state.h"

namespace desktop {
namespace {

class TimingTest : public test::EngineTest {};

TEST_F(TimingTest, IntervalGivesTheDivisorOfTheModelsFramePeriod) {
  const struct {
    int32_t model;
    float interval;
    int32_t divisor;
    float periodMs;
    int32_t intervalMs;  // the reading timer's period for the same interval
  } cases[] = {
      {kModelRz12, 0.2f, 2, 91.0f, 200},     {kModelRz12, 0.1f, 1, 91.0f, 100},
      {kModelRz12, 0.5f, 5, 91.0f, 500},     {kModelRz12, 1.0f, 11, 91.0f, 1000},
      {kModelRz12, 2.0f, 22, 91.0f, 2000},   {kModelRz45, 0.2f, 2, 91.0f, 200},
      {kModelRz89, 2.0f, 22, 91.0f, 2000},   {kModelRz27, 0.2f, 2, 91.0f, 200},
      {kModelRz27Mk2, 0.1f, 2, 47.0f, 100},  {kModelRz27Mk2, 0.2f, 4, 47.0f, 200},
      {kModelRz27Mk2, 0.5f, 11, 47.0f, 500}, {kModelRz27Mk2, 1.0f, 21, 47.0f, 1000},
      // Intervals only an edited settings file holds: the divisor stays in [1, 2^30].
      {kModelRz12, 0.0f, 1, 91.0f, 1000},    {kModelRz12, -1.0f, 1, 91.0f, 1000},
      {kModelRz27Mk2, 0.0f, 1, 47.0f, 1000}, {kModelRz12, 1e30f, 1 << 30, 91.0f, 2147483647},
      {kModelRz12, 3e38f, 1 << 30, 91.0f, 2147483647}, {kModelRz12, std::nanf(""), 1, 91.0f, 1000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("model " + std::to_string(c.model) + " interval " + std::to_string(c.interval));
    test::UseBuild(c.model);
    LinkState.framePeriodMs = 72.0f;
    SurveySettings.readingInterval = c.interval;
    ComputeSampleDivisor();
    EXPECT_EQ(LinkState.sampleDivisor, c.divisor);
    EXPECT_EQ(LinkState.framePeriodMs, c.periodMs);
    EXPECT_EQ(ReadingIntervalMs(SurveySettings.readingInterval), c.intervalMs);
  }
}

// The ZOL12 sends about one frame a second: its interval becomes 1.0 s and its divisor 1. The RZ56
// builds answer requests: only their frame period is set.
TEST_F(TimingTest, Zol12ForcesOneSecondAndTheRz56SetsOnlyThePeriod) {
  test::UseBuild(kModelZol12);
  SurveySettings.readingInterval = 0.2f;
  ComputeSampleDivisor();
  EXPECT_EQ(SurveySettings.readingInterval, 1.0f);
  EXPECT_EQ(LinkState.sampleDivisor, 1);
  EXPECT_EQ(LinkState.framePeriodMs, 91.0f);

  for (int32_t model : {kModelRz56Mk2, kModelRz56}) {
    test::UseBuild(model);
    SurveySettings.readingInterval = 0.2f;
    LinkState.framePeriodMs = 47.0f;
    LinkState.sampleDivisor = 77;
    ComputeSampleDivisor();
    EXPECT_EQ(LinkState.framePeriodMs, 91.0f);
    EXPECT_EQ(LinkState.sampleDivisor, 77);
    EXPECT_EQ(SurveySettings.readingInterval, 0.2f);
  }
}

}  // namespace
}  // namespace desktop
