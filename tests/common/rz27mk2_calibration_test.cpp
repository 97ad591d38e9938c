// The RZ27-MK2 field calibration as a step function, fed a reading every 47 ms across the tick
// counter's wrap: the windows and their 30 readings, the waits, the prompts, the beeps and the
// offsets found or put back.
#include "common/rz27mk2_reading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace survey {
namespace {

constexpr uint32_t kPeriod = 47;

Mk2Reading Reading(char dipole, float cond1m, float inph1m, float cond05m = 0, float inph05m = 0) {
  Mk2Reading r;
  r.dipole = dipole;
  r.values[kCond1m] = cond1m;
  r.values[kInph1m] = inph1m;
  r.values[kCond05m] = cond05m;
  r.values[kInph05m] = inph05m;
  return r;
}

const Mk2Reading kVertical = Reading('V', 30.0f, 2.0f, 20.0f, 1.0f);
const Mk2Reading kHorizontal = Reading('H', 14.0f, -1.0f, 8.0f, -0.5f);

// A confirmed calibration, driven one reading at a time.
struct Calibration {
  explicit Calibration(uint32_t start, bool portrait = false) : now(start), portrait(portrait) {
    s.phase = 1;
    s.t0 = start;
  }
  // n readings, one every 47 ms; returns the last step.
  CalibrationStep Feed(int n, const Mk2Reading& r) {
    CalibrationStep step;
    for (int i = 0; i < n; ++i) {
      now += kPeriod;
      step = StepCalibration(s, offsets, backup, r, now, portrait);
      if (step.prompt != nullptr) prompts.push_back(step.prompt);
      shown += step.showValues ? 1 : 0;
      exclamation += step.exclamationBeeps;
      hand += step.handBeeps;
      succeeded += step.succeeded ? 1 : 0;
      if (step.ended) endedAt = now;
    }
    return step;
  }
  // Readings until the phase and stage are reached (at most a few minutes of them).
  void FeedUntil(int32_t phase, int32_t stage, const Mk2Reading& r) {
    for (int i = 0; i < 5000 && !(s.phase == phase && s.stage == stage); ++i) Feed(1, r);
  }
  int Count(const wchar_t* prompt) const {
    int n = 0;
    for (const std::wstring& p : prompts) n += p == prompt ? 1 : 0;
    return n;
  }

  CalibrationState s;
  float offsets[6] = {};
  float backup[6] = {1, 2, 3, 4, 5, 6};
  uint32_t now;
  bool portrait;
  std::vector<std::wstring> prompts;
  int shown = 0, exclamation = 0, hand = 0, succeeded = 0;
  uint32_t endedAt = 0;
};

constexpr uint32_t kNearWrap = 0xFFFFFE00u;

// 42 readings fall in the 2000 ms window; 30 vertical ones among them are enough, the horizontal
// ones are shown and not summed.
TEST(Calibration, ThirtyVerticalReadingsInTheWindowSucceed) {
  Calibration c(kNearWrap);
  c.Feed(12, Reading('H', 500.0f, 99.0f, 500.0f, 99.0f));
  c.Feed(30, kVertical);
  EXPECT_EQ(c.s.phase, 1);
  EXPECT_EQ(c.s.count, 30);
  EXPECT_EQ(c.shown, 42);
  EXPECT_EQ(c.Count(L"Vertical Calibration"), 42);
  const CalibrationStep step = c.Feed(1, kVertical);
  EXPECT_EQ(c.s.phase, 2);
  EXPECT_EQ(c.s.stage, kStageWaiting);
  EXPECT_EQ(c.s.t0, c.now);
  ASSERT_NE(step.prompt, nullptr);
  EXPECT_STREQ(step.prompt, L"Rotate to Horizontal Mode within 60 seconds");
  EXPECT_EQ(c.exclamation, 3);
  EXPECT_FLOAT_EQ(c.offsets[2], 2.0f);  // O3, the vertical inphase 1 m mean
  EXPECT_FLOAT_EQ(c.offsets[3], 1.0f);  // O4
  EXPECT_FLOAT_EQ(c.s.sums[4], 30.0f);  // the conductivity sums became means
  EXPECT_FLOAT_EQ(c.s.sums[5], 20.0f);
}

TEST(Calibration, TwentyNineVerticalReadingsFailAndTheOldOffsetsReturn3000msLater) {
  for (bool portrait : {false, true}) {
    SCOPED_TRACE(portrait ? "portrait" : "landscape");
    Calibration c(kNearWrap, portrait);
    c.Feed(13, kHorizontal);
    c.Feed(29, kVertical);
    c.Feed(1, kVertical);
    EXPECT_EQ(c.s.stage, kStageVerticalFailed);
    EXPECT_EQ(c.exclamation, 0);
    const uint32_t failedAt = c.now;
    c.FeedUntil(0, 0, kVertical);
    const wchar_t* prompt = portrait ? L"Vert. Mode Failed - Wait for Beep" : L"Vertical Mode Failed - Wait for Beep";
    EXPECT_EQ(c.Count(prompt), 63);  // every reading less than 3000 ms after the failure
    EXPECT_EQ(c.endedAt - failedAt, 64 * kPeriod);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(c.offsets[i], c.backup[i]) << i;
    EXPECT_EQ(c.hand, 3);
    EXPECT_EQ(c.succeeded, 0);
  }
}

// The whole calibration: the means give the offsets, the beeps come at the rotation prompt, on
// every reading of the completed screen and at the end.
TEST(Calibration, MeansGiveTheOffsetsAndTheBeepsFollowTheScreens) {
  Calibration c(kNearWrap);
  c.FeedUntil(2, kStageWaiting, kVertical);
  c.Feed(10, kVertical);  // still vertical: waiting
  EXPECT_EQ(c.s.stage, kStageWaiting);
  c.Feed(1, kHorizontal);
  EXPECT_EQ(c.s.stage, kStagePreparing);
  c.FeedUntil(2, kStageHorizontal, kHorizontal);
  EXPECT_EQ(c.Count(L"Preparing for Horizontal Calibration"), 21);  // 47 to 987 ms
  EXPECT_EQ(c.s.count, 0);
  c.Feed(5, kVertical);  // vertical readings in the horizontal window: shown, not summed
  c.FeedUntil(2, kStageCompleted, kHorizontal);
  EXPECT_EQ(c.succeeded, 1);
  EXPECT_EQ(c.s.count, 37);
  EXPECT_FLOAT_EQ(c.offsets[0], 2.0f);   // O1 = 30 - 2 x 14
  EXPECT_FLOAT_EQ(c.offsets[1], 4.0f);   // O2 = 20 - 2 x 8
  EXPECT_FLOAT_EQ(c.offsets[2], 2.0f);   // O3
  EXPECT_FLOAT_EQ(c.offsets[3], 1.0f);   // O4
  EXPECT_FLOAT_EQ(c.offsets[4], -1.0f);  // O5
  EXPECT_FLOAT_EQ(c.offsets[5], -0.5f);  // O6
  EXPECT_EQ(c.hand, 0);
  c.FeedUntil(0, 0, kVertical);
  EXPECT_EQ(c.Count(L"Calibration Completed - Wait for Beep"), 63);
  EXPECT_EQ(c.hand, 3 * 63 + 3);
  EXPECT_EQ(c.exclamation, 3);
  EXPECT_FLOAT_EQ(c.offsets[0], 2.0f) << "success keeps the new offsets";
}

TEST(Calibration, NoHorizontalReadingWithin60sIsNotDetected) {
  for (bool portrait : {false, true}) {
    Calibration c(kNearWrap, portrait);
    c.FeedUntil(2, kStageWaiting, kVertical);
    const uint32_t promptAt = c.now;
    c.FeedUntil(2, kStageNotDetected, kVertical);
    EXPECT_GT(c.now - promptAt, kHorizontalWaitMs);
    EXPECT_LE(c.now - promptAt, kHorizontalWaitMs + kPeriod);
    c.Feed(1, kHorizontal);  // too late
    EXPECT_EQ(c.s.stage, kStageNotDetected);
    c.FeedUntil(0, 0, kHorizontal);
    EXPECT_GT(c.Count(portrait ? L"Hor. Mode Not Detected - Wait for Beep"
                               : L"Horizontal Mode Not Detected - Wait for Beep"),
              0);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(c.offsets[i], c.backup[i]) << i;
  }
}

TEST(Calibration, TwentyNineHorizontalReadingsFail) {
  for (bool portrait : {false, true}) {
    Calibration c(kNearWrap, portrait);
    c.FeedUntil(2, kStageWaiting, kVertical);
    c.FeedUntil(2, kStageHorizontal, kHorizontal);
    c.Feed(13, kVertical);
    c.Feed(29, kHorizontal);
    const CalibrationStep step = c.Feed(1, kHorizontal);  // after the window: still summed and shown
    EXPECT_EQ(c.s.stage, kStageHorizontalFailed);
    EXPECT_EQ(c.s.count, 30);
    EXPECT_TRUE(step.showValues);
    EXPECT_FALSE(step.succeeded);
    c.FeedUntil(0, 0, kHorizontal);
    EXPECT_GT(c.Count(portrait ? L"Hor. Mode Failed - Wait for Beep" : L"Horizontal Mode Failed - Wait for Beep"), 0);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(c.offsets[i], c.backup[i]) << i;
    EXPECT_EQ(c.succeeded, 0);
  }
}

// Held horizontal already at the rotation prompt: the next reading starts the preparation.
TEST(Calibration, AlreadyHorizontalAtThePromptPreparesWithTheNextReading) {
  Calibration c(1000, true);
  c.Feed(42, kVertical);
  const CalibrationStep step = c.Feed(1, kHorizontal);
  EXPECT_STREQ(step.prompt, L"Rotate to Horiz. Mode within 60 s");
  c.Feed(1, kHorizontal);
  EXPECT_EQ(c.s.stage, kStagePreparing);
}

}  // namespace
}  // namespace survey
