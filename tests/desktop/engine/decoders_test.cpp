#include "engine/decoders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "desktop_test_support.h"
#include "engine/plot_scale.h"
#include "engine/state.h"

namespace desktop {
namespace {

class DecodersTest : public ::testing::Test {
 protected:
  void TearDown() override { ResetEngineState(); }
};

void SetFrame(const std::string& bytes) {
  memset(LinkState.frame, 0, sizeof LinkState.frame);
  memcpy(LinkState.frame, bytes.data(), bytes.size());
}

std::string Bytes(std::initializer_list<int> v) {
  std::string s;
  for (int b : v) s.push_back(static_cast<char>(b));
  return s;
}

// ---- Meter frames ----------------------------------------------------------------------------

struct MeterCase {
  const char* name;
  int32_t model;
  int32_t component;
  int32_t rz12Type;
  int32_t surveyMode;
  std::string frame;
  float value1, value2;
  char dipole, marker;
  int16_t range;
  std::vector<int> channels;  // valid channels; their values follow from value1 / value2 below
  std::vector<float> channelValues;
};
void PrintTo(const MeterCase& c, std::ostream* os) { *os << c.name; }

class MeterTable : public DecodersTest, public ::testing::WithParamInterface<MeterCase> {};

const std::string kFields = std::string(" -200") + "00500";
std::string Rz12(int status) { return "T" + std::string(1, static_cast<char>(status)) + kFields; }

TEST_P(MeterTable, DecodesLiveAndStoredAlike) {
  const MeterCase& c = GetParam();
  test::UseBuild(c.model);
  SurveySettings.component = c.component;
  SurveySettings.rz12Type = c.rz12Type;
  SurveySettings.surveyMode = c.surveyMode;
  SetFrame(c.frame);
  float v1 = 99, v2 = 99;
  char dipole = '?', marker = '?';
  int16_t range = -1;
  int32_t kind = -1;
  uint16_t range2 = 0;
  DecodeMeterFrame(v1, v2, dipole, range, marker, kind, range2);
  EXPECT_FLOAT_EQ(v1, c.value1);
  EXPECT_FLOAT_EQ(v2, c.value2);
  EXPECT_EQ(dipole, c.dipole);
  EXPECT_EQ(marker, c.marker);
  EXPECT_EQ(range, c.range);
  std::vector<int> valid;
  for (int i = 0; i < 8; ++i) {
    if (TraceSet.traceValid[i]) valid.push_back(i);
  }
  EXPECT_EQ(valid, c.channels);
  for (size_t i = 0; i < c.channels.size(); ++i) {
    EXPECT_FLOAT_EQ(TraceSet.traceValue[c.channels[i]], c.channelValues[i]) << "channel " << c.channels[i];
  }
  // The record decoder of the same bytes gives the same reading.
  int32_t recValid[8];
  float recValues[8];
  float r1 = 99, r2 = 99;
  char rd = '?', rm = '?';
  int16_t rr = -1;
  int32_t rk = -1;
  DecodeMeterRecord(reinterpret_cast<const unsigned char*>(c.frame.data()), recValid, recValues, r1, r2, rd, rr, rm,
                    rk);
  EXPECT_EQ(r1, v1);
  EXPECT_EQ(r2, v2);
  EXPECT_EQ(rd, dipole);
  EXPECT_EQ(rm, marker);
  EXPECT_EQ(rr, range);
  EXPECT_EQ(rk, kind);
  EXPECT_EQ(memcmp(recValid, TraceSet.traceValid, sizeof recValid), 0);
  EXPECT_EQ(memcmp(recValues, TraceSet.traceValue, sizeof recValues), 0);
}

// Field 1 is -200 and field 2 is 500 in every RZ12 frame; status 0x20 + r is vertical, no marker.
INSTANTIATE_TEST_SUITE_P(
    Frames, MeterTable,
    ::testing::Values(
        MeterCase{"Rz12Example", kModelRz12, 0, 0, 0, Rz12(0x74), 5.0f, -1.25f, 'V', 'M', 100, {0, 2}, {5.0f, -1.25f}},
        MeterCase{"Rz12ManualHasNoMarker", kModelRz12, 0, 0, 2, Rz12(0x74), 5.0f, -1.25f, 'V', 'N', 100, {0, 2},
                  {5.0f, -1.25f}},
        // Bit 0 set: no battery frame here, a reading of range 10.
        MeterCase{"Rz12OddStatusIsAReading", kModelRz12, 0, 0, 0, Rz12(0x75), 0.5f, -1.25f, 'V', 'M', 10, {0, 2},
                  {0.5f, -1.25f}},
        MeterCase{"Rz12Code0", kModelRz12, 0, 0, 0, Rz12(0x20), 50.0f, -1.25f, 'V', 'N', 1000, {0, 2}, {50.0f, -1.25f}},
        MeterCase{"Rz12Code1", kModelRz12, 0, 0, 0, Rz12(0x21), 0.5f, -1.25f, 'V', 'N', 10, {0, 2}, {0.5f, -1.25f}},
        MeterCase{"Rz12Code2", kModelRz12, 0, 0, 0, Rz12(0x22), 0.5f, -1.25f, 'V', 'N', 10, {0, 2}, {0.5f, -1.25f}},
        MeterCase{"Rz12Code3", kModelRz12, 0, 0, 0, Rz12(0x23), 0.5f, -1.25f, 'V', 'N', 10, {0, 2}, {0.5f, -1.25f}},
        MeterCase{"Rz12Code4", kModelRz12, 0, 0, 0, Rz12(0x24), 5.0f, -1.25f, 'V', 'N', 100, {0, 2}, {5.0f, -1.25f}},
        MeterCase{"Rz12Code5", kModelRz12, 0, 0, 0, Rz12(0x25), 0.5f, -1.25f, 'V', 'N', 10, {0, 2}, {0.5f, -1.25f}},
        MeterCase{"Rz12Code6", kModelRz12, 0, 0, 0, Rz12(0x26), 50.0f, -1.25f, 'V', 'N', 1000, {0, 2}, {50.0f, -1.25f}},
        MeterCase{"Rz12Code7", kModelRz12, 0, 0, 0, Rz12(0x27), 0.5f, -1.25f, 'V', 'N', 10, {0, 2}, {0.5f, -1.25f}},
        MeterCase{"Rz12HorizontalShort", kModelRz12, 0, 1, 0, Rz12(0x04), 5.0f, static_cast<float>(-1.25f / 3.35),
                  'H', 'N', 100, {1, 3}, {5.0f, static_cast<float>(-1.25f / 3.35)}},
        // Inphase only, Short: value2 = field 1 x f x 0.25 / 3.35, value1 the unscaled field 1.
        MeterCase{"Rz12ShortInphase", kModelRz12, 1, 1, 0, Rz12(0x24), -200.0f,
                  static_cast<float>(static_cast<float>(static_cast<double>(-200.0f * -0.025f) * 0.25) / 3.35), 'V',
                  'N', 100, {2}, {static_cast<float>(static_cast<float>(static_cast<double>(-200.0f * -0.025f) * 0.25) / 3.35)}},
        MeterCase{"Rz12NotANumberReadsZero", kModelRz12, 0, 0, 0, "T\x24" "abcde\x00\x00\x00\x00\x00", 0.0f, 0.0f,
                  'V', 'N', 100, {0, 2}, {0.0f, 0.0f}},
        MeterCase{"Rz45FortyMetresHorizontal", kModelRz45, 0, 0, 0, Rz12(0x38), 0.15f, 40.0f, 'H', 'N', 3, {5},
                  {0.15f}},
        MeterCase{"Zol12", kModelZol12, 0, 0, 0, "T123I045", 1.23f, 45.0f, 'V', 'N', 100, {0, 2}, {1.23f, 45.0f}},
        // The RZ56 builds have no meter branch: cleared values, nothing else touched.
        MeterCase{"Rz56HasNoMeterBranch", kModelRz56Mk2, 0, 0, 0, Rz12(0x74), 0.0f, 0.0f, '?', '?', -1, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- RZ27-MK2 frames -------------------------------------------------------------------------

const std::string kMk2 = Bytes({0x54, 0x06, 0x81, 0x00, 0x81, 0x00, 0x82, 0x00, 0x82, 0x00, 0x00, 0xFA, 0x01, 0x00});

struct Mk2Case {
  const char* name;
  int status;
  float offsets[6];
  float cond1m, inph1m, cond05m, inph05m;
  char dipole, marker;
  int firstChannel;
};
void PrintTo(const Mk2Case& c, std::ostream* os) { *os << c.name; }

class Mk2Table : public DecodersTest, public ::testing::WithParamInterface<Mk2Case> {};

TEST_P(Mk2Table, DecodesLiveAndStoredAlike) {
  const Mk2Case& c = GetParam();
  test::UseBuild(kModelRz27Mk2);
  memcpy(SurveySettings.mk2Offset, c.offsets, sizeof c.offsets);
  std::string frame = kMk2;
  frame[1] = static_cast<char>(c.status);
  SetFrame(frame);
  float v[4], temp1 = 0, temp2 = 0;
  int32_t raw[4], rawT1 = 0, rawT2 = 0;
  char dipole = 0, marker = 0;
  DecodeRz27Mk2Frame(v[0], v[1], v[2], v[3], raw[0], raw[1], raw[2], raw[3], temp1, temp2, rawT1, rawT2, dipole,
                     marker);
  EXPECT_FLOAT_EQ(v[0], c.cond1m);
  EXPECT_FLOAT_EQ(v[1], c.inph1m);
  EXPECT_FLOAT_EQ(v[2], c.cond05m);
  EXPECT_FLOAT_EQ(v[3], c.inph05m);
  EXPECT_EQ(raw[0], 0x8200);
  EXPECT_EQ(raw[2], 0x8100);
  EXPECT_EQ(temp1, 250.0f);  // the counts themselves: no temperature is computed
  EXPECT_EQ(temp2, 256.0f);
  EXPECT_EQ(rawT1, 250);
  EXPECT_EQ(rawT2, 256);
  EXPECT_EQ(dipole, c.dipole);
  EXPECT_EQ(marker, c.marker);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(TraceSet.traceValid[i], (i - c.firstChannel) % 2 == 0 ? 1 : 0) << i;
  }
  EXPECT_EQ(TraceSet.traceValue[c.firstChannel], v[0]);
  EXPECT_EQ(TraceSet.traceValue[c.firstChannel + 2], v[1]);
  EXPECT_EQ(TraceSet.traceValue[c.firstChannel + 4], v[2]);
  EXPECT_EQ(TraceSet.traceValue[c.firstChannel + 6], v[3]);

  int32_t recValid[8];
  float recValues[8];
  char rd = 0, rm = 0;
  DecodeRz27Mk2Record(reinterpret_cast<const unsigned char*>(frame.data()), recValid, recValues, rd, rm,
                      c.offsets[0], c.offsets[1], c.offsets[2], c.offsets[3], c.offsets[4], c.offsets[5]);
  EXPECT_EQ(rd, dipole);
  EXPECT_EQ(rm, marker);
  EXPECT_EQ(memcmp(recValid, TraceSet.traceValid, sizeof recValid), 0);
  EXPECT_EQ(memcmp(recValues, TraceSet.traceValue, sizeof recValues), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, Mk2Table,
    ::testing::Values(
        Mk2Case{"Vertical", 6, {0, 0, 0, 0, 0, 0}, 20.0f, 0.57638f, 10.0f, 0.0720475f, 'V', 'N', 0},
        // Horizontal with the external marker pressed.
        Mk2Case{"Status18", 18, {0, 0, 0, 0, 0, 0}, 20.0f, 0.57638f, 10.0f, 0.0720475f, 'H', 'M', 1},
        // Conductivity offsets added, inphase offsets subtracted by dipole (O3, O4 vertical).
        Mk2Case{"OffsetsVertical", 6, {1, 2, 0.5f, 0.25f, 9, 9}, 21.0f, 0.07638f, 12.0f, 0.0720475f - 0.25f, 'V', 'N',
                0},
        Mk2Case{"OffsetsHorizontal", 2, {1, 2, 9, 9, 0.5f, 0.25f}, 21.0f, 0.07638f, 12.0f, 0.0720475f - 0.25f, 'H',
                'N', 1}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Plot rows -------------------------------------------------------------------------------

// Each model's channels on their groups; channels a model does not plot keep what rows held.
TEST_F(DecodersTest, TracesToRowsPutsEachModelsChannelsOnTheirGroups) {
  constexpr int32_t kUntouched = 12345;
  constexpr int32_t k1 = 1, k2 = 2, kNo = 0;
  const struct {
    int32_t model;
    int32_t groups[8];
  } cases[] = {
      {kModelRz12, {k1, k1, k2, k2, kNo, kNo, kNo, kNo}},  {kModelRz27B, {k1, k1, k2, k2, kNo, kNo, kNo, kNo}},
      {kModelRz27Dd, {k1, k1, k2, k2, kNo, kNo, kNo, kNo}}, {kModelRz27, {k1, k1, k2, k2, kNo, kNo, kNo, kNo}},
      {kModelRz45, {k1, k1, k1, k1, k1, k1, kNo, kNo}},     {kModelRz89, {k1, k1, k1, k1, k1, k1, kNo, kNo}},
      {kModelZol12, {k1, kNo, k2, kNo, kNo, kNo, kNo, kNo}}, {kModelRz27Mk2, {k1, k1, k2, k2, k1, k1, k2, k2}},
      {kModelRz56Mk2, {k1, k1, k1, k1, k1, k1, kNo, kNo}},  {kModelRz56, {k1, k1, k1, k1, k1, k1, kNo, kNo}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    test::UseBuild(c.model);
    // Scale 1 is 0..500 at 1 px per unit, scale 2 -25..25 at 10 px per unit: a value of 100 is
    // row 400 on scale 1 and row -750 on scale 2.
    SurveySettings.scale1Max = 500.0f;
    PlotState.pxPerUnit0 = 1.0f;
    SurveySettings.scale2Max = 25.0f;
    PlotState.pxPerUnit1 = 10.0f;
    for (float& v : TraceSet.traceValue) v = 100.0f;
    int32_t rows[8];
    for (int32_t& r : rows) r = kUntouched;
    TracesToRows(rows);
    for (int i = 0; i < 8; ++i) {
      const int32_t want = c.groups[i] == k1 ? 400 : c.groups[i] == k2 ? -750 : kUntouched;
      EXPECT_EQ(rows[i], want) << i;
    }
  }
}

// A 384-pixel plot of -25..25: rows truncate toward zero in double precision, and values no plot
// can show give rows clamped to the drawing calls' range.
TEST_F(DecodersTest, TracesToRowsTruncatesAndClamps) {
  test::UseBuild(kModelRz27Mk2);
  SurveySettings.scale2Min = -25.0f;
  SurveySettings.scale2Max = 25.0f;
  PlotState.pxPerUnit1 = PixelsPerUnit(384, -25.0f, 25.0f);
  const struct {
    float value;
    int32_t row;
  } cases[] = {
      {0.0f, 191},  // 25 x 7.6799998 = 191.99999...
      {25.0f, 0},
      {-25.0f, 383},
      {1e30f, kRowMin},
      {-1e30f, kRowMax},
      {std::numeric_limits<float>::infinity(), kRowMin},
      {std::nanf(""), kRowMax},
  };
  for (const auto& c : cases) {
    TraceSet.traceValue[2] = c.value;
    int32_t rows[8] = {};
    TracesToRows(rows);
    EXPECT_EQ(rows[2], c.row) << c.value;
  }
  // A factor out of all range clamps as well.
  PlotState.pxPerUnit0 = 3e38f;
  TraceSet.traceValue[0] = -3e38f;
  int32_t rows[8] = {};
  TracesToRows(rows);
  EXPECT_EQ(rows[0], kRowMax);
}

}  // namespace
}  // namespace desktop
