// Ice-thickness conversion: the worked values of both meter types, the limits of all 22 curves,
// every segment of every curve, the curve loads, the thickness channel, and look-ups while the
// curve in force is not the one of the type and index.
#include "engine/ice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/state.h"
#include "engine_test_support.h"

namespace handheld {
namespace {

constexpr double kMetres = 0.0005;

class IceTest : public ::testing::Test {
 protected:
  void SetUp() override { test::UseBuild(kModelRz12, 1); }
  void TearDown() override { ResetEngineState(); }

  static void Use(int32_t type, int32_t seaWaterIndex) {
    SurveySettings.rz12Type = type;
    LoadIceCurve(seaWaterIndex);
  }
  static bool CurveIs(int type, int k) {
    return std::memcmp(IceCurve, kBuiltInIceCurves[type][k], sizeof IceCurve) == 0;
  }
};

TEST_F(IceTest, WorkedValuesOfBothTypes) {
  struct Case {
    int32_t type;
    float conductivity;
    double metres;  // or exactly -999.0 / -99.0
  } const cases[] = {
      {0, 1024.2f, 0.0},   {0, 1024.3f, -999.0}, {0, 23.317f, -99.0},  {0, 23.32f, 6.9995},
      {0, 471.421f, 1.0},  {0, 453.8395f, 1.05}, {0, 90.188f, 3.5},    {0, 500.0f, 0.925},
      {0, 100.0f, 3.310},  {1, 1428.0f, 0.0},    {1, 1428.1f, -999.0}, {1, 61.11f, 3.5},
      {1, 17.8f, -99.0},   {1, 1000.0f, 0.283},  {2, 1000.0f, 0.283},  // any type but 0 is Short
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << ", " << c.conductivity << " mS/m");
    Use(c.type, 0);
    const float t = ComputeIceThickness(c.conductivity, 0);
    if (c.metres < 0) {
      EXPECT_EQ(t, static_cast<float>(c.metres));
    } else {
      EXPECT_NEAR(t, c.metres, kMetres);
    }
  }
}

// Just beyond each end of each curve is off it; halfway between two entries is halfway between
// their thicknesses, in both halves of the search.
TEST_F(IceTest, EveryCurveItsLimitsAndItsSegments) {
  for (int type = 0; type < kIceCurveTypes; ++type) {
    for (int k = 0; k < kSeaWaterIndexes; ++k) {
      SCOPED_TRACE(testing::Message() << "type " << type << ", k " << k);
      Use(type, k);
      ASSERT_TRUE(CurveIs(type, k));
      const double* e = kBuiltInIceCurves[type][k];
      EXPECT_EQ(ComputeIceThickness(static_cast<float>(1.001 * e[0]), k), kIceAboveCurve);
      EXPECT_EQ(ComputeIceThickness(static_cast<float>(0.999 * e[70]), k), kIceBelowCurve);
      for (int i = 0; i < 70; ++i) {
        const float middle = static_cast<float>((e[i] + e[i + 1]) / 2);
        EXPECT_NEAR(ComputeIceThickness(middle, k), (i + 0.5) / 10, kMetres) << "segment " << i;
      }
    }
  }
}

TEST_F(IceTest, OnlyAnIndexOfTheTableLoadsACurve) {
  Use(1, 4);
  ASSERT_TRUE(CurveIs(1, 4));
  for (int32_t index : {11, -1, 1000}) {
    LoadIceCurve(index);
    EXPECT_TRUE(CurveIs(1, 4)) << index;
  }
  // An index beyond the table makes no limit test: the curve in force alone decides.
  EXPECT_NEAR(ComputeIceThickness(1000.0f, 11), 0.3910, kMetres);  // Short, 2400 mS/m
  EXPECT_EQ(ComputeIceThickness(5000.0f, -1), kIceAboveCurve);
  EXPECT_EQ(ComputeIceThickness(5.0f, 11), kIceBelowCurve);
}

TEST_F(IceTest, TheThicknessIsChannelFourOnlyWithTheIceProfile) {
  Use(0, 0);
  for (int c = 0; c < TraceSetData::kChannels; ++c) {
    TraceSet.traceValue[c] = 10.0f + c;
    TraceSet.traceValid[c] = c % 2;
  }
  const TraceSetData before = TraceSet;
  const SurveySettingsData settings = SurveySettings;
  SurveySettings.showIceProfile = 0;
  for (float c : {500.0f, 5000.0f, 1.0f}) ComputeIceThickness(c, 0);
  EXPECT_EQ(std::memcmp(&TraceSet, &before, sizeof TraceSet), 0);
  EXPECT_TRUE(CurveIs(0, 0));
  EXPECT_EQ(SurveySettings.showIceProfile, 0);
  EXPECT_EQ(SurveySettings.seaWaterIndex, settings.seaWaterIndex);
  EXPECT_EQ(SurveySettings.rz12Type, settings.rz12Type);

  // Off the curve (above it, below it) the value is no thickness: the channel is invalid.
  SurveySettings.showIceProfile = 1;
  for (float c : {500.0f, 5000.0f, 1.0f}) {
    const float t = ComputeIceThickness(c, 0);
    EXPECT_EQ(TraceSet.traceValue[4], t) << c;
    EXPECT_EQ(TraceSet.traceValid[4], c == 500.0f ? 1 : 0) << c;
    for (int ch = 0; ch < TraceSetData::kChannels; ++ch) {
      if (ch == 4) continue;
      EXPECT_EQ(TraceSet.traceValue[ch], before.traceValue[ch]) << ch;
      EXPECT_EQ(TraceSet.traceValid[ch], before.traceValid[ch]) << ch;
    }
  }
}

// The curve in force starts as Standard at 2000 mS/m. When it is not the curve of the type and
// index (the type changed after the load), a value within the limits may find no segment: above
// the curve it is -999.0, below it -99.0.
TEST_F(IceTest, ALookUpInAnotherCurveStaysInsideIt) {
  Use(1, 7);
  ResetEngineState();
  EXPECT_TRUE(CurveIs(0, 0));

  SurveySettings.rz12Type = 1;  // Short, its curve not loaded
  EXPECT_EQ(ComputeIceThickness(1300.0f, 0), kIceAboveCurve);  // within Short's limits, above Standard's
  EXPECT_EQ(ComputeIceThickness(20.0f, 0), kIceBelowCurve);    // below Standard's 7.0 m value
  EXPECT_NEAR(ComputeIceThickness(500.0f, 0), 0.925, kMetres);  // Standard's segment
}

}  // namespace
}  // namespace handheld
