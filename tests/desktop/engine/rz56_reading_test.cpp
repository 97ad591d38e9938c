// The RZ56-MK2 reading decisions: the record flag by tag and mode, the battery volts, the nulling
// step over the null offsets, and the QC verdict into the panel's state.
#include "engine/rz56_reading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/state.h"

namespace desktop {
namespace {

TEST(Rz56RecordFlagTest, ByTagModeAndThePreviousFlag) {
  // Manual: a series of tags in turn; the first marked frame after an unmarked one is recorded.
  const struct {
    int32_t mode;
    const char* tags;
    std::vector<int32_t> flags;
  } cases[] = {
      {kModeManual, "TMMMTM", {0, 1, -1, -1, 0, 1}},
      {kModeManual, "DNNEPFQ", {0, 1, -1, 0, 1, 0, 1}},
      {kModeManual, "MM", {1, -1}},  // the run's first frame after GO starts from flag 0
      {kModeAuto, "TMMDNEFQ", {1, 1, 1, 1, 1, 1, 1, 1}},
      {kModeWheel, "TMMT", {1, 1, 1, 1}},
  };
  for (const auto& c : cases) {
    int32_t flag = 0;
    std::vector<int32_t> got;
    for (const char* t = c.tags; *t; ++t) got.push_back(flag = Rz56RecordFlag(*t, c.mode, flag));
    EXPECT_EQ(got, c.flags) << c.tags << " mode " << c.mode;
  }
}

TEST(Rz56RecordFlagTest, MarkedTagsAreTheFourSecondsOfThePairs) {
  for (int tag = 0; tag < 256; ++tag) {
    const bool marked = tag == 'M' || tag == 'N' || tag == 'P' || tag == 'Q';
    EXPECT_EQ(IsRz56MarkedTag(tag), marked) << tag;
  }
  EXPECT_FALSE(IsRz56MarkedTag(-1));
  EXPECT_FALSE(IsRz56MarkedTag(0x14D));
}

TEST(Rz56BatteryTest, EveryCountGivesFiniteVolts) {
  char text[32];
  std::snprintf(text, sizeof text, " Battery: %4.1f V", static_cast<double>(Rz56BatteryVolts(70)));
  EXPECT_STREQ(text, " Battery: 10.5 V");
  EXPECT_LE(Rz56BatteryVolts(70), 10.5f);  // on red at the default warning level
  EXPECT_GT(Rz56BatteryVolts(71), 10.5f);
  for (int count = 0; count < 256; ++count) EXPECT_TRUE(std::isfinite(Rz56BatteryVolts(count))) << count;
}

// Feeds n readings of the same four values to a nulling; the steps asked for, in order.
std::vector<Rz56NullingStep> Feed(Rz56NullState& s, int32_t& acq, int n, const float v[4], int32_t run) {
  std::vector<Rz56NullingStep> steps;
  for (int i = 0; i < n; ++i) steps.push_back(StepRz56Nulling(s, acq, v, run));
  return steps;
}

int Count(const std::vector<Rz56NullingStep>& steps, bool Rz56NullingStep::*field) {
  int n = 0;
  for (const auto& s : steps) n += s.*field ? 1 : 0;
  return n;
}

TEST(Rz56NullingTest, APlainNullingAveragesTheSecondToTheFiftyFirstReading) {
  Rz56NullState s;
  int32_t acq = kAcqNulling;
  const float first[4] = {1000, 1000, 1000, 1000};  // the first reading is not summed
  StepRz56Nulling(s, acq, first, kRunStandBy);
  EXPECT_EQ(s.nullCount, 1);
  const float v[4] = {966.66f, -2.5f, 0, 1e6f};
  const auto steps = Feed(s, acq, 49, v, kRunStandBy);
  EXPECT_EQ(acq, kAcqNulling);
  EXPECT_EQ(s.nullCount, 50);
  EXPECT_EQ(Count(steps, &Rz56NullingStep::writeNullRecords), 0);
  const Rz56NullingStep last = StepRz56Nulling(s, acq, v, kRunStandBy);
  EXPECT_EQ(acq, kAcqRunning);
  EXPECT_TRUE(last.writeNullRecords);
  EXPECT_FALSE(last.showQcPanel);
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(s.nullOffset[k], v[k], std::fabs(v[k]) * 1e-5) << k;
    EXPECT_EQ(s.previousNullOffset[k], 0.0f) << k;  // a first nulling replaces zeros
  }
  // Done: further readings change nothing.
  const float offsets[4] = {s.nullOffset[0], s.nullOffset[1], s.nullOffset[2], s.nullOffset[3]};
  StepRz56Nulling(s, acq, first, kRunStandBy);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(s.nullOffset[k], offsets[k]);
}

TEST(Rz56NullingTest, OnlyAStandByNullingAsksForItsRecords) {
  const struct {
    int32_t run;
    bool write;
  } cases[] = {{kRunStandBy, true}, {kRunMonitor, false}, {kRunLogging, false}};
  for (const auto& c : cases) {
    Rz56NullState s;
    int32_t acq = kAcqNulling;
    const float v[4] = {1, 2, 3, 4};
    const auto steps = Feed(s, acq, 51, v, c.run);
    EXPECT_EQ(acq, kAcqRunning) << c.run;
    EXPECT_EQ(Count(steps, &Rz56NullingStep::writeNullRecords), c.write ? 1 : 0) << c.run;
    EXPECT_TRUE(steps.back().writeNullRecords == c.write) << c.run;
  }
}

// A second nulling records the offsets of the first as the ones it replaced; the readings between
// the two are converted with those offsets, the readings of the nulling with none.
TEST(Rz56NullingTest, ASecondNullingKeepsTheOffsetsItReplaced) {
  Rz56NullState s;
  int32_t acq = kAcqNulling;
  const float a[4] = {966.66f, 966.66f, 966.66f, 966.66f};
  Feed(s, acq, 51, a, kRunStandBy);
  ASSERT_EQ(acq, kAcqRunning);
  float firstOffsets[4];
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(s.nullOffset[k], 966.66f, 0.01f);
    firstOffsets[k] = s.nullOffset[k];
  }
  acq = kAcqNulling;
  s.nullCount = 0;
  const float b[4] = {500, 400, 300, 200};
  const auto first = StepRz56Nulling(s, acq, b, kRunStandBy);
  EXPECT_FALSE(first.setQcLimits);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(s.nullOffset[k], 0.0f) << k;  // the nulling converts without null
    EXPECT_EQ(s.previousNullOffset[k], firstOffsets[k]) << k;
  }
  const auto steps = Feed(s, acq, 50, b, kRunStandBy);
  ASSERT_TRUE(steps.back().writeNullRecords);
  for (int k = 0; k < 4; ++k) {
    EXPECT_FLOAT_EQ(s.nullOffset[k], b[k]) << k;
    EXPECT_EQ(s.previousNullOffset[k], firstOffsets[k]) << k;
  }
}

// A QC nulling keeps the offsets in force for the panel's close, converts with none, and leaves the
// replaced offsets of the last plain nulling alone.
TEST(Rz56NullingTest, AQcNullingSavesTheOffsetsAndNullsFromZero) {
  Rz56NullState s;
  for (int k = 0; k < 4; ++k) {
    s.nullOffset[k] = 966.66f;
    s.previousNullOffset[k] = 12.5f;
  }
  int32_t acq = kAcqQcNulling;
  const float raw[4] = {966.66f, 966.66f, 966.66f, 966.66f};
  const auto first = StepRz56Nulling(s, acq, raw, kRunStandBy);
  EXPECT_TRUE(first.setQcLimits);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(s.savedNullOffset[k], 966.66f);
    EXPECT_EQ(s.nullOffset[k], 0.0f);
  }
  const auto steps = Feed(s, acq, 50, raw, kRunStandBy);
  EXPECT_EQ(acq, kAcqQcCheck);
  EXPECT_EQ(Count(steps, &Rz56NullingStep::showQcPanel), 1);
  EXPECT_TRUE(steps.back().showQcPanel);
  EXPECT_EQ(Count(steps, &Rz56NullingStep::writeNullRecords), 0);
  EXPECT_EQ(Count(steps, &Rz56NullingStep::setQcLimits), 0);
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(s.nullOffset[k], 966.66f, 0.01f);  // the coil's readings then show only the coil
    EXPECT_EQ(s.previousNullOffset[k], 12.5f);
    EXPECT_EQ(s.savedNullOffset[k], 966.66f);
  }
}

TEST(Rz56NullingTest, OtherAcquisitionStatesAreLeftAlone) {
  for (int32_t state : {int32_t{kAcqNormalising}, int32_t{kAcqRunning}, int32_t{kAcqQcCheck}, 7, -4}) {
    Rz56NullState s;
    s.nullOffset[0] = 3;
    int32_t acq = state;
    const float v[4] = {1, 1, 1, 1};
    const auto steps = Feed(s, acq, 60, v, kRunStandBy);
    EXPECT_EQ(acq, state);
    EXPECT_EQ(s.nullCount, 0);
    EXPECT_EQ(s.nullOffset[0], 3.0f);
    EXPECT_EQ(Count(steps, &Rz56NullingStep::writeNullRecords) + Count(steps, &Rz56NullingStep::showQcPanel) +
                  Count(steps, &Rz56NullingStep::setQcLimits),
              0);
  }
}

TEST(Rz56QcVerdictTest, OnlyAVerdictWhileWaitingBecomesTheResult) {
  const float values[4] = {96.67f, 1, 2, 3};
  const struct {
    int32_t step;
    Rz56QcVerdict verdict;
    int32_t stepAfter, result, ok;
  } cases[] = {
      {1, Rz56QcVerdict::kPassed, 2, 1, 1},
      {1, Rz56QcVerdict::kFailed, 2, 1, 0},
      {1, Rz56QcVerdict::kGoOn, 1, 0, 7},
      {0, Rz56QcVerdict::kPassed, 0, 0, 7},
      {2, Rz56QcVerdict::kFailed, 2, 0, 7},
  };
  for (const auto& c : cases) {
    Rz56QcPanelState p;
    p.qcStep = c.step;
    p.qcSecondsOrOk = 7;
    float qcValue[4] = {};
    ApplyRz56QcVerdict(p, c.verdict, values, qcValue);
    EXPECT_EQ(p.qcStep, c.stepAfter) << c.step;
    EXPECT_EQ(p.qcResult, c.result) << c.step;
    EXPECT_EQ(p.qcSecondsOrOk, c.ok) << c.step;
    EXPECT_EQ(qcValue[0], c.result == 1 ? 96.67f : 0.0f) << c.step;
  }
}

}  // namespace
}  // namespace desktop
