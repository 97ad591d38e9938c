// The RZ56 conversion core, the current ring, the kept frame's rewrite, the QC test and the
// profile's compression, as tables of worked values.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "desktop_test_support.h"
#include "engine/rz56_convert.h"

namespace {

using desktop::ConvertRz56Core;
using desktop::Rz56Inputs;
using desktop::Rz56Values;

void ExpectRelative(double got, double want, double rel = 1e-6) {
  EXPECT_NEAR(got, want, std::fabs(want) * rel + 1e-9) << "want " << want;
}

TEST(Rz56Gains, DecodedBySubtractionInChannelOrder) {
  struct Row {
    uint8_t g;
    int gains[4];
  };
  const Row rows[] = {
      {0x00, {1, 1, 1, 1}},     {0xC0, {100, 1, 1, 1}},  {0x0F, {1, 1, 100, 100}}, {0x55, {10, 10, 10, 10}},
      {0xFF, {100, 100, 100, 100}}, {0x40, {10, 1, 1, 1}}, {0x01, {1, 1, 1, 10}},
      // Code 2, which the instrument never sends, falls through the subtraction: 0x80 is 64 + 48 + 12 + 4.
      {0x80, {10, 100, 100, 1}}, {0x02, {1, 1, 1, 1}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(static_cast<int>(r.g));
    const desktop::Rz56Gains g = desktop::DecodeRz56Gains(r.g);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(g.gain[k], r.gains[k]) << "channel " << k + 1;
  }
}

// One conversion: inputs and the four expected channels.
struct ConvertCase {
  const char* name;
  Rz56Inputs in;
  double ch[4];
  double factor;
};
void PrintTo(const ConvertCase& c, std::ostream* os) { *os << c.name; }

Rz56Inputs In(int tag, uint8_t gain, int16_t c1, int16_t c2, int16_t c3, int16_t c4, double current, double mean,
              int type = 0, int sensor = 0, int variant = 0) {
  Rz56Inputs in;
  in.counts[0] = c1;
  in.counts[1] = c2;
  in.counts[2] = c3;
  in.counts[3] = c4;
  in.gain = gain;
  in.tag = tag;
  in.current = current;
  in.mean = mean;
  in.type = type;
  in.ncc = type > 1;
  in.sensorSize = sensor;
  in.variant = variant;
  return in;
}
Rz56Inputs Stored(Rz56Inputs in) {
  in.stored = true;
  return in;
}
Rz56Inputs Offsets(Rz56Inputs in, float o1, float o2, float o3, float o4) {
  in.nullOffset[0] = o1;
  in.nullOffset[1] = o2;
  in.nullOffset[2] = o3;
  in.nullOffset[3] = o4;
  return in;
}

const double kMv = 4.8333;
const ConvertCase kConvertCases[] = {
    // 100 counts at gain 100 are 4.8333 mV before the 'T' factor of 2.
    {"Gain100", In('T', 0xC0, 100, 0, 0, 0, 3000, 3000), {2 * kMv, 0, 0, 0}, 1},
    {"StandardT", In('T', 0, 1000, 0, 0, 0, 3000, 3000), {9666.6, 0, 0, 0}, 1},
    {"StandardTAtHalfTheReference", In('T', 0, 1000, 0, 0, 0, 1500, 1500), {19333.199, 0, 0, 0}, 2},
    {"StandardEAtItsReference", In('E', 0x40, 200, 0, 0, 0, 1800, 1800), {87.24107, 0, 0, 0}, 1},
    {"FactorsOfE", In('P', 0, 100, 100, 100, 100, 1800, 1800), {0.9025 * 483.33, 1.363 * 483.33, 2.026795 * 483.33, 3.018856 * 483.33}, 1},
    {"FactorsOfF", In('Q', 0, 100, 100, 100, 100, 1800, 900, 1), {0.9025 * 966.66, 1.363 * 966.66, 2.043 * 966.66, 12.152 * 966.66}, 2},
    {"HighPowerT", In('T', 0x40, 500, 0, 0, 0, 1350, 1840, 1), {415.6638, 0, 0, 0}, 1},
    {"HighPowerTBelowItsCurrent", In('M', 0x40, 500, 0, 0, 0, 1349, 1840, 1), {207.83189, 0, 0, 0}, 0.5},
    {"HighPowerFactorsSensor0", In('T', 0, 100, 100, 100, 100, 1840, 1840, 1), {1.72 * 483.33, 2.54 * 483.33, 3.74 * 483.33, 6.07 * 483.33}, 1},
    {"HighPowerSensor2", In('T', 0x40, 500, 500, 500, 500, 2600, 3729, 1, 2),
     {321.41443, 1.33 * 1.53 * 2416.65, 1.33 * 2.257 * 2416.65, 1.33 * 1.885 * 2416.65}, 1},
    // 'D', Standard, sensor 0: ch4 x 1.114 / 1.112, then x 4; High Power: x 1.114 x 1.112, then x 6.07.
    {"StandardD", In('D', 0, 100, 100, 100, 100, 3000, 3000), {966.66, 966.66, 966.66, 1936.797}, 1},
    {"StandardDVariant1HalvesChannels1To3", In('N', 0, 100, 100, 100, 100, 3000, 3000, 0, 0, 1), {483.33, 483.33, 483.33, 1936.797}, 1},
    // Variant 1 halves only the Standard 'D' channels 1 to 3: High Power and 'T' keep them.
    {"HighPowerDVariant1", In('N', 0, 100, 100, 100, 100, 1840, 1840, 1, 0, 1), {1.72 * 483.33, 2.54 * 483.33, 3.74 * 483.33, 3634.3135}, 1},
    {"StandardTVariant1", In('T', 0, 100, 100, 100, 100, 3000, 3000, 0, 0, 1), {966.66, 966.66, 966.66, 966.66}, 1},
    {"StandardDSensor1", In('D', 0, 0, 0, 0, 100, 3000, 3000, 0, 1), {0, 0, 0, 1933.32}, 1},
    {"HighPowerD", In('D', 0, 100, 100, 100, 100, 1840, 1840, 1), {1.72 * 483.33, 2.54 * 483.33, 3.74 * 483.33, 3634.3135}, 1},
    // Any other tag byte takes the 'T' factors; a type outside 0 to 3 is Standard, a sensor size
    // outside 0 to 2 the High Power table's first row.
    {"OtherTagIsT", In(0x7F, 0, 1000, 0, 0, 0, 3000, 3000), {9666.6, 0, 0, 0}, 1},
    {"TypeOutsideTheTableIsStandard", In('T', 0, 1000, 0, 0, 0, 3000, 3000, 7), {9666.6, 0, 0, 0}, 1},
    {"SensorOutsideTheTable", In('T', 0x40, 500, 0, 0, 0, 1350, 1840, 1, 9), {415.6638, 0, 0, 0}, 1},
    // The N.C.C. types keep factor 1.0 whatever the current; the offsets come off last.
    {"NccType2", Offsets(In('T', 0, 1000, 0, 0, 0, 900, 900, 2), 6.6f, 0, 0, -1), {9660.0, 0, 0, 1}, 1},
    {"NccType3", In('T', 0x40, 500, 0, 0, 0, 100, 100, 3), {415.6638, 0, 0, 0}, 1},
    {"OffsetsAfterTheFactor", Offsets(In('T', 0, 1000, 0, 0, 0, 1500, 1500), 19333.199f, 1, 2, 3), {0, -1, -2, -3}, 2},
    // A stored record with variant 2: ch2 x 0.8, ch3 x 0.64, ch4 x 0.6072, divided by the mean.
    {"StoredVariant2", Stored(In('T', 0, 100, 100, 100, 100, 2, 2, 0, 0, 2)), {483.33, 0.8 * 483.33, 0.64 * 483.33, 0.6072 * 483.33}, 0.5},
    {"LiveIgnoresVariant2", In('T', 0, 100, 100, 100, 100, 3000, 3000, 0, 0, 2), {966.66, 966.66, 966.66, 966.66}, 1},
    // A mean of 0 (a ring never filled, a stored mean of 0), one that is not a number, or one that
    // gives no float quotient: factor 1.0.
    {"MeanZero", In('T', 0, 1000, 0, 0, 0, 0, 0), {9666.6, 0, 0, 0}, 1},
    {"MeanNaN", In('T', 0, 1000, 0, 0, 0, 0, std::nan("")), {9666.6, 0, 0, 0}, 1},
    {"MeanTiny", In('F', 0, 32767, 0, 0, 32767, 0, 1e-300), {32767 * kMv * 0.9025, 0, 0, 32767 * kMv * 12.152}, 1},
};

class Rz56Convert : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(Rz56Convert, Channels) {
  const ConvertCase& c = GetParam();
  const Rz56Values v = ConvertRz56Core(c.in);
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k + 1);
    ExpectRelative(v.ch[k], c.ch[k]);
  }
  ExpectRelative(v.factor, c.factor);
}

INSTANTIATE_TEST_SUITE_P(Table, Rz56Convert, ::testing::ValuesIn(kConvertCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The High Power reference picked by the current, by sensor size: the factor at a mean of 1000.
TEST(Rz56Convert, HighPowerReferences) {
  struct Row {
    int sensor;
    double current;
    double reference;
  };
  const Row rows[] = {{0, 1350, 1840}, {0, 1349, 920},   {1, 1650, 2230}, {1, 1649, 1123},
                      {2, 2600, 3729}, {2, 2599, 1920}, {5, 1350, 1840}, {-1, 0, 920}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.sensor * 10000 + r.current);
    for (int tag : {'T', 'D'}) {
      const Rz56Values v = ConvertRz56Core(In(tag, 0, 0, 0, 0, 0, r.current, 1000, 1, r.sensor));
      ExpectRelative(v.factor, r.reference / 1000);
    }
    // 'E' and 'F' keep 1800 on High Power too.
    ExpectRelative(ConvertRz56Core(In('E', 0, 0, 0, 0, 0, r.current, 1000, 1, r.sensor)).factor, 1.8);
  }
}

TEST(Rz56Ring, RunningMeanAndTheRewrite) {
  desktop::Rz56CurrentRing ring;
  for (int i = 0; i < 97; ++i) desktop::AddRz56Current(ring, 1500);
  desktop::AddRz56Current(ring, 1549);
  EXPECT_FLOAT_EQ(ring.currentMean, 1500.5f);
  EXPECT_EQ(ring.currentIndex, 0);
  // Bytes 10-12 as received (current 0x0611 = 1553, battery 70) move to 13-15.
  unsigned char frame[32];
  for (int i = 0; i < 32; ++i) frame[i] = static_cast<unsigned char>(0xA0 + i);
  frame[10] = 0x06;
  frame[11] = 0x11;
  frame[12] = 70;
  desktop::RewriteRz56Frame(frame, ring.currentMean);
  const unsigned char want[] = {0x05, 0xDC, 50, 0x06, 0x11, 70, 0};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(frame[10 + i], want[i]) << "byte " << 10 + i;
  EXPECT_EQ(frame[9], 0xA9);
  EXPECT_EQ(frame[17], 0xB1);
  // The oldest sample leaves the sum: 98 more of 1800 give 1800.
  for (int i = 0; i < 98; ++i) desktop::AddRz56Current(ring, 1800);
  EXPECT_FLOAT_EQ(ring.currentMean, 1800.0f);
}

// The mean's whole part saturates to int16; the hundredths keep their low 8 bits (a negative mean
// keeps the odd encoding); NaN reads 0.
TEST(Rz56Ring, RewriteOfUnusualMeans) {
  struct Row {
    float mean;
    unsigned char b10, b11, b12;
  };
  const Row rows[] = {{1800.0f, 0x07, 0x08, 0},   {-1.25f, 0xFF, 0xFF, 0xE7}, {0.0f, 0, 0, 0},
                      {40000.0f, 0x7F, 0xFF, 0}, {-1e30f, 0x80, 0x00, 0},   {std::nanf(""), 0, 0, 0},
                      {32767.5f, 0x7F, 0xFF, 50}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.mean);
    unsigned char frame[32] = {};
    desktop::RewriteRz56Frame(frame, r.mean);
    EXPECT_EQ(frame[10], r.b10);
    EXPECT_EQ(frame[11], r.b11);
    if (r.mean != -1e30f && r.mean != 40000.0f) {
      EXPECT_EQ(frame[12], r.b12);
    }
  }
}

TEST(Rz56Ring, IndexOutsideTheRingRestartsAtSlotZero) {
  desktop::Rz56CurrentRing ring;
  ring.currentIndex = 500;
  desktop::AddRz56Current(ring, 98);
  EXPECT_EQ(ring.currentSamples[0], 98.0f);
  EXPECT_EQ(ring.currentIndex, 1);
  EXPECT_FLOAT_EQ(ring.currentMean, 1.0f);
}

// ---- QC ----------------------------------------------------------------------------------------

struct QcStep {
  float ch[4];
  bool modeD;
  int verdict;
};

void RunQc(desktop::Rz56QcState& qc, std::initializer_list<QcStep> steps) {
  int i = 0;
  for (const QcStep& s : steps) {
    EXPECT_EQ(static_cast<int>(desktop::CheckRz56QcReading(qc, s.ch, s.modeD)), s.verdict) << "reading " << i;
    ++i;
  }
}

TEST(Rz56Qc, LimitsAreSetDisarmed) {
  desktop::Rz56QcState qc;
  qc.qcArmed = 1;
  qc.qcReadingCount = 4;
  qc.qcLimits[2][0] = 7;
  desktop::SetRz56QcLimits(qc);
  for (const auto& pair : qc.qcLimits) {
    EXPECT_EQ(pair[0], 0.0f);
    EXPECT_EQ(pair[1], 3000.0f);
  }
  EXPECT_EQ(qc.qcArmed, 0);
  EXPECT_EQ(qc.qcReadingCount, 0);
}

TEST(Rz56Qc, ArmsThenPassesOrFails) {
  const float in[4] = {10, -20, 2999, -3000};
  const float out4[3] = {10, 20, 30};
  desktop::Rz56QcState qc;
  desktop::SetRz56QcLimits(qc);
  // 3500 does not arm, 2999 does (and is not judged), then a reading all inside passes.
  RunQc(qc, {{{3500, 0, 0, 0}, false, 0}, {{2999, 0, 0, 0}, false, 0}, {{10, -20, 30, 2000}, false, 1}});

  // Exactly 3000 is inside but does not arm.
  desktop::SetRz56QcLimits(qc);
  RunQc(qc, {{{3000, 0, 0, 0}, false, 0}, {{3000, 0, 0, 0}, false, 0}});
  EXPECT_EQ(qc.qcArmed, 0);
  RunQc(qc, {{{-2999.9f, 0, 0, 0}, false, 0}, {{3000, -3000, 3000, -3000}, false, 1}});

  // After arming, five readings not all inside go on; the sixth fails, inside or not.
  desktop::SetRz56QcLimits(qc);
  RunQc(qc, {{{0, 0, 0, 0}, false, 0},
             {{3001, 0, 0, 0}, false, 0},
             {{0, 3001, 0, 0}, false, 0},
             {{0, 0, -3001, 0}, false, 0},
             {{0, 0, 0, 3001}, false, 0},
             {{std::nanf(""), 0, 0, 0}, false, 0},
             {{0, 0, 0, 0}, false, 2}});

  // Channel 4 is judged by pair 5 in mode 'D' and by pair 4 otherwise.
  desktop::SetRz56QcLimits(qc);
  qc.qcLimits[3][1] = 10;
  RunQc(qc, {{{0, 0, 0, 0}, false, 0}, {{in[0], in[1], in[2], in[3]}, false, 0}, {{in[0], in[1], in[2], in[3]}, true, 1}});
  desktop::SetRz56QcLimits(qc);
  qc.qcLimits[4][1] = 10;
  RunQc(qc, {{{0, 0, 0, 0}, true, 0}, {{out4[0], out4[1], out4[2], 5}, true, 1}});
  desktop::SetRz56QcLimits(qc);
  qc.qcLimits[4][1] = 10;
  RunQc(qc, {{{0, 0, 0, 0}, true, 0}, {{out4[0], out4[1], out4[2], 2000}, true, 0}, {{out4[0], out4[1], out4[2], 2000}, false, 1}});
  // A second run starts disarmed.
  desktop::SetRz56QcLimits(qc);
  RunQc(qc, {{{0, 0, 0, 0}, false, 0}});
}

TEST(Rz56Compress, SquareRootWithTheSign) {
  const float in[4] = {-16, 9, 0, 2.25f};
  float out[4];
  desktop::CompressRz56Core(in, true, out);
  EXPECT_FLOAT_EQ(out[0], -4);
  EXPECT_FLOAT_EQ(out[1], 3);
  EXPECT_FLOAT_EQ(out[2], 0);
  EXPECT_FLOAT_EQ(out[3], 1.5f);
  desktop::CompressRz56Core(in, false, out);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(out[k], in[k]);
}

// ---- On the program's state -----------------------------------------------------------------------

namespace live {

using namespace desktop;

// The ring as the normalisation leaves it: every slot at `current`.
void FillRing(float current) {
  for (float& s : Rz56Calibration.currentSamples) s = current;
  Rz56Calibration.currentIndex = 0;
  Rz56Calibration.currentSum = current * kRz56RingSize;
  Rz56Calibration.currentMean = current;
}

// LinkState.frame as the reader keeps it: tag, gain, four counts, current, battery, 0x7F, NUL.
void KeepFrame(char tag, uint8_t gain, const int16_t counts[4], int16_t current, uint8_t battery) {
  unsigned char* f = LinkState.frame;
  memset(f, 0xEE, sizeof LinkState.frame);
  f[0] = static_cast<unsigned char>(tag);
  f[1] = gain;
  for (int k = 0; k < 4; ++k) {
    f[2 + 2 * k] = static_cast<unsigned char>(static_cast<uint16_t>(counts[k]) >> 8);
    f[3 + 2 * k] = static_cast<unsigned char>(counts[k] & 0xFF);
  }
  f[10] = static_cast<unsigned char>(static_cast<uint16_t>(current) >> 8);
  f[11] = static_cast<unsigned char>(current & 0xFF);
  f[12] = battery;
  f[13] = 0x7F;
  f[14] = 0;
}

struct Live {
  float ch[4];
  float current;
  int32_t battery;
  int16_t gain;
  int32_t tag;
};
Live Convert() {
  Live l{};
  ConvertRz56Frame(l.ch[0], l.ch[1], l.ch[2], l.ch[3], l.current, l.battery, l.gain, l.tag);
  return l;
}
std::array<float, 4> Record(const unsigned char* record, const float offsets[4], int32_t* tag = nullptr) {
  std::array<float, 4> ch{};
  int32_t t = 0;
  ConvertRz56Record(record, ch[0], ch[1], ch[2], ch[3], offsets[0], offsets[1], offsets[2], offsets[3], t);
  if (tag) *tag = t;
  return ch;
}

class Rz56LiveConvert : public ::testing::Test {
 protected:
  void SetUp() override { test::UseBuild(kModelRz56Mk2); }
  void TearDown() override { ResetEngineState(); }
};

TEST_F(Rz56LiveConvert, RingNormalisesAndTheFrameIsRewritten) {
  const int16_t counts[4] = {1000, 0, 0, 0};
  FillRing(3000);
  KeepFrame('T', 0, counts, 3000, 70);
  Live l = Convert();
  ExpectRelative(l.ch[0], 9666.6);
  EXPECT_EQ(Rz56Calibration.normFactor, 1.0f);
  FillRing(1500);
  KeepFrame('T', 0, counts, 1500, 70);
  l = Convert();
  ExpectRelative(l.ch[0], 19333.199);
  EXPECT_EQ(Rz56Calibration.normFactor, 2.0f);

  // 97 currents of 1500 and the frame's 1549: mean 1500.5; bytes 10 to 16 rewritten.
  FillRing(1500);
  KeepFrame('E', 0x40, counts, 1549, 0x7F);
  l = Convert();
  EXPECT_FLOAT_EQ(Rz56Calibration.currentMean, 1500.5f);
  EXPECT_EQ(l.current, 1549.0f);
  EXPECT_EQ(l.battery, 0x7F);
  EXPECT_EQ(l.gain, 0x40);
  EXPECT_EQ(l.tag, 'E');
  const unsigned char want[] = {0x05, 0xDC, 50, 0x06, 0x0D, 0x7F, 0};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(LinkState.frame[10 + i], want[i]) << "byte " << 10 + i;
  EXPECT_EQ(LinkState.frame[9], 0);
  EXPECT_EQ(LinkState.frame[17], 0xEE);
}

// The stored 13 bytes give the live values; the N.C.C. flag applies to both, and a mean of 0 gives
// factor 1.0 in both.
TEST_F(Rz56LiveConvert, RecordsGiveTheLiveValues) {
  struct Row {
    const char* name;
    int32_t variant, type;
    float ring;
    char tag;
    uint8_t gain;
    int16_t counts[4];
  };
  const Row rows[] = {
      {"T", 0, 0, 1800, 'T', 0x00, {1000, -200, 30, 4}},      {"D", 0, 0, 1750.25f, 'D', 0x5A, {-1000, 2000, 3, 400}},
      {"DVariant1", 1, 0, 1800, 'N', 0x0F, {100, 200, 300, 400}}, {"E", 1, 0, 1500.5f, 'P', 0xC3, {32767, -32768, 1, -1}},
      {"F", 0, 0, 2999.75f, 'Q', 0x40, {12, 34, 56, 78}},      {"Ncc", 0, 2, 900, 'T', 0, {1000, 0, 0, 0}},
      {"MeanZero", 0, 0, 0, 'T', 0, {1000, 0, 0, 0}},
  };
  const float offsets[4] = {1.5f, -2.25f, 100, 0};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    BuildSwitches s = BuildSwitchesInForce();
    s.rz56Variant = r.variant;
    test::UseBuild(s);
    SurveySettings.rz56Type = r.type;
    Rz56Calibration.nccFlag = r.type > 1 ? 1 : 0;
    for (int k = 0; k < 4; ++k) Rz56Calibration.nullOffset[k] = offsets[k];
    FillRing(r.ring);
    KeepFrame(r.tag, r.gain, r.counts, static_cast<int16_t>(r.ring), 70);
    const Live l = Convert();
    if (r.type > 1 || r.ring == 0) {
      EXPECT_EQ(Rz56Calibration.normFactor, 1.0f);
    }
    int32_t tag = 0;
    const std::array<float, 4> stored = Record(LinkState.frame, offsets, &tag);
    EXPECT_EQ(tag, r.tag);
    for (int k = 0; k < 4; ++k) ExpectRelative(stored[k], l.ch[k], 1e-5);
  }
  // A stored mean of 0 without the ring: factor 1.0, so 'T' is just x 2.
  const unsigned char zeroMean[13] = {'T', 0, 0x03, 0xE8, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const float none[4] = {};
  ExpectRelative(Record(zeroMean, none)[0], 9666.6);
}

TEST_F(Rz56LiveConvert, Variant2RecordsScaleAndDivideByTheMean) {
  BuildSwitches s = BuildSwitchesInForce();
  s.rz56Variant = 2;
  test::UseBuild(s);
  // 'T', gain 0, all counts 100, stored mean 2.00.
  const unsigned char record[13] = {'T', 0, 0, 100, 0, 100, 0, 100, 0, 100, 0, 2, 0};
  const float none[4] = {};
  const std::array<float, 4> ch = Record(record, none);
  const double base = 2 * 483.33 / 2.0;
  ExpectRelative(ch[0], base);
  ExpectRelative(ch[1], base * 0.8);
  ExpectRelative(ch[2], base * 0.64);
  ExpectRelative(ch[3], base * 0.6072);
  // The stored mean picks the High Power reference: 1840 at 1350.00, 920 at 1349.99.
  s.rz56Variant = 0;
  test::UseBuild(s);
  SurveySettings.rz56Type = 1;
  const unsigned char at[13] = {'T', 0x40, 0x01, 0xF4, 0, 0, 0, 0, 0, 0, 0x05, 0x46, 0};
  const unsigned char below[13] = {'T', 0x40, 0x01, 0xF4, 0, 0, 0, 0, 0, 0, 0x05, 0x45, 99};
  ExpectRelative(Record(at, none)[0], 415.6638 * 1840 / 1350);
  ExpectRelative(Record(below, none)[0], 415.6638 * 920 / 1349.99);
}

// All four channels on scale 1, clamped: at H 384 on 0..2000, 1000 is row 192, 0 row 384, 1e9
// (and any huge value) -32768, NaN 32767.
TEST_F(Rz56LiveConvert, RowsOnScaleOne) {
  SurveySettings.scale1Min = 0;
  SurveySettings.scale1Max = 2000;
  SurveySettings.scale2Max = 25;
  PlotState.pxPerUnit0 = 384.0f / 2000;
  PlotState.pxPerUnit1 = 7.68f;
  int32_t rows[4] = {};
  Rz56ValuesToRows(1000, 0, 1e9f, -1e9f, rows);
  EXPECT_EQ(rows[0], 192);
  EXPECT_EQ(rows[1], 384);
  EXPECT_EQ(rows[2], -32768);
  EXPECT_EQ(rows[3], 32767);
  Rz56ValuesToRows(std::nanf(""), 2000, 1999.99f, -0.001f, rows);
  EXPECT_EQ(rows[0], 32767);
  EXPECT_EQ(rows[1], 0);
  EXPECT_EQ(rows[2], 0);
  EXPECT_EQ(rows[3], 384);
}

TEST_F(Rz56LiveConvert, QcAndCompressionOnTheState) {
  Rz56Calibration.qcArmed = 1;
  SetQcLimits();
  EXPECT_EQ(Rz56Calibration.qcArmed, 0);
  EXPECT_EQ(CheckQcReading(2999, 0, 0, 0, 0), 0);
  EXPECT_EQ(Rz56Calibration.qcArmed, 1);
  EXPECT_EQ(CheckQcReading(0, 0, 0, 2999, 1), 1);
  float o[4];
  SurveySettings.rz56ScaleMode = 1;
  CompressRz56Values(-16, 9, 0, 1, o[0], o[1], o[2], o[3]);
  EXPECT_FLOAT_EQ(o[0], -4);
  EXPECT_FLOAT_EQ(o[1], 3);
  SurveySettings.rz56ScaleMode = 0;
  CompressRz56Values(-16, 9, 0, 1, o[0], o[1], o[2], o[3]);
  EXPECT_EQ(o[0], -16);
  EXPECT_EQ(o[1], 9);
}

}  // namespace live

}  // namespace
