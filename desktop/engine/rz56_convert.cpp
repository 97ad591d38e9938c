#include "engine/rz56_convert.h"

#include <cfloat>
#include <climits>
#include <cmath>

#include "engine/plot_scale.h"
#include "engine/rz56_frames.h"
#include "engine/state.h"

namespace desktop {
namespace {

// ch[k] = ch[k] x f[k], each stored as a float.
void Scale(float ch[kRz56Channels], double f1, double f2, double f3, double f4) {
  const double f[kRz56Channels] = {f1, f2, f3, f4};
  for (int k = 0; k < kRz56Channels; ++k) ch[k] = StoreFloat(ch[k] * f[k]);
}

// The High Power sensor table: its factors, and the reference picked by the current.
double HighPowerFactors(float ch[kRz56Channels], int sensorSize, double current) {
  switch (sensorSize) {
    case 1:
      Scale(ch, 1.72, 2.54, 3.74, 6.07);
      return current >= 1650 ? 2230 : 1123;
    case 2:
      Scale(ch, 1.33, 1.33 * 1.53, 1.33 * 2.257, 1.33 * 1.885);
      return current >= 2600 ? 3729 : 1920;
    default:  // "1 x 0.5 m", and any size outside the table
      Scale(ch, 1.72, 2.54, 3.74, 6.07);
      return current >= 1350 ? 1840 : 920;
  }
}

// The tag factors; returns the reference current.
double TagFactors(float ch[kRz56Channels], const Rz56Inputs& in) {
  const bool highPower = in.type == 1 || in.type == 3;
  switch (Rz56PlainTag(static_cast<unsigned char>(in.tag))) {
    case 'D':
      if (highPower) {
        if (in.sensorSize == 0) ch[3] = StoreFloat(ch[3] * 1.114 * 1.112);
        return HighPowerFactors(ch, in.sensorSize, in.current);
      }
      if (in.sensorSize == 0) ch[3] = StoreFloat(ch[3] * 1.114 / 1.112);
      Scale(ch, 2, 2, 2, 4);
      if (in.variant == 1) Scale(ch, 0.5, 0.5, 0.5, 1);
      return 3000;
    case 'E':
      Scale(ch, 0.9025, 1.363, 2.026795, 3.018856);
      return 1800;
    case 'F':
      Scale(ch, 0.9025, 1.363, 2.043, 12.152);
      return 1800;
    default:  // 'T', 'M' and any other byte
      if (highPower) return HighPowerFactors(ch, in.sensorSize, in.current);
      Scale(ch, 2, 2, 2, 2);
      return 3000;
  }
}

int16_t Signed16(const unsigned char* p) {
  return static_cast<int16_t>(static_cast<uint16_t>((p[0] << 8) | p[1]));
}

// The inputs both conversions share: the gain byte, the counts and the tag from the frame or
// record bytes, and the settings in force.
Rz56Inputs FromBytes(const unsigned char* bytes) {
  Rz56Inputs in;
  in.tag = bytes[0];
  in.gain = bytes[1];
  for (int k = 0; k < kRz56Channels; ++k) in.counts[k] = Signed16(bytes + 2 + 2 * k);
  in.ncc = Rz56Calibration.nccFlag == 1;
  in.variant = BuildConfig.rz56Variant;
  in.type = SurveySettings.rz56Type;
  in.sensorSize = SurveySettings.rz56SensorSize;
  return in;
}

}  // namespace

float StoreFloat(double v) {
  if (std::isnan(v)) return 0.0f;
  if (v > FLT_MAX) return FLT_MAX;
  if (v < -FLT_MAX) return -FLT_MAX;
  return static_cast<float>(v);
}

Rz56Gains DecodeRz56Gains(uint8_t g) {
  Rz56Gains out;
  int rest = g;
  // Channels 1 to 3: the code's value for gain 100, then for gain 10, each subtracted once used.
  const int at100[3] = {192, 48, 12};
  const int at10[3] = {64, 16, 4};
  for (int k = 0; k < 3; ++k) {
    if (rest >= at100[k]) {
      out.gain[k] = 100;
      rest -= at100[k];
    } else if (rest >= at10[k]) {
      out.gain[k] = 10;
      rest -= at10[k];
    }
  }
  out.gain[3] = rest == 3 ? 100 : rest == 1 ? 10 : 1;
  return out;
}

float Rz56NormFactor(double reference, double mean, bool ncc) {
  if (ncc || mean == 0) return 1.0f;
  const double q = reference / mean;
  if (!std::isfinite(q) || std::fabs(q) > FLT_MAX) return 1.0f;
  return static_cast<float>(q);
}

Rz56Values ConvertRz56Core(const Rz56Inputs& in) {
  Rz56Values out;
  const Rz56Gains gains = DecodeRz56Gains(in.gain);
  for (int k = 0; k < kRz56Channels; ++k) out.ch[k] = StoreFloat(in.counts[k] * kRz56MvPerCount / gains.gain[k]);
  double reference = TagFactors(out.ch, in);
  if (in.stored && in.variant == 2) {
    Scale(out.ch, 1, 0.8, 0.64, 0.6072);
    reference = 1.0;
  }
  out.factor = Rz56NormFactor(reference, in.mean, in.ncc);
  for (int k = 0; k < kRz56Channels; ++k) {
    out.ch[k] = StoreFloat(out.ch[k] * static_cast<double>(out.factor));
    out.ch[k] = StoreFloat(static_cast<double>(out.ch[k]) - in.nullOffset[k]);
  }
  return out;
}

void AddRz56Current(Rz56CurrentRing& ring, float current) {
  if (ring.currentIndex < 0 || ring.currentIndex >= kRz56RingSize) ring.currentIndex = 0;
  float& slot = ring.currentSamples[ring.currentIndex];
  ring.currentSum = StoreFloat(static_cast<double>(ring.currentSum) - slot);
  slot = current;
  ring.currentIndex = (ring.currentIndex + 1) % kRz56RingSize;
  ring.currentSum = StoreFloat(static_cast<double>(ring.currentSum) + current);
  ring.currentMean = StoreFloat(static_cast<double>(ring.currentSum) / kRz56RingSize);
}

void RewriteRz56Frame(unsigned char* frame, float mean) {
  const unsigned char received[3] = {frame[10], frame[11], frame[12]};
  const double whole = std::isnan(mean) ? 0.0 : std::trunc(static_cast<double>(mean));
  const int m = whole > INT16_MAX ? INT16_MAX : whole < INT16_MIN ? INT16_MIN : static_cast<int>(whole);
  // The hundredths as an int (clamped first), kept as its low 8 bits: a negative mean keeps the
  // instrument's odd encoding.
  double hundredths = std::isnan(mean) ? 0.0 : (static_cast<double>(mean) - m) * 100;
  if (hundredths > INT_MAX) hundredths = INT_MAX;
  if (hundredths < INT_MIN) hundredths = INT_MIN;
  const auto m16 = static_cast<uint16_t>(static_cast<int16_t>(m));
  frame[10] = static_cast<unsigned char>(m16 >> 8);
  frame[11] = static_cast<unsigned char>(m16 & 0xFF);
  frame[12] = static_cast<unsigned char>(static_cast<unsigned>(static_cast<int>(hundredths)) & 0xFF);
  frame[13] = received[0];
  frame[14] = received[1];
  frame[15] = received[2];
  frame[16] = 0;
}

void SetRz56QcLimits(Rz56QcState& qc) {
  for (auto& pair : qc.qcLimits) {
    pair[0] = 0.0f;
    pair[1] = 3000.0f;
  }
  qc.qcArmed = 0;
  qc.qcReadingCount = 0;
}

namespace {
bool Inside(const float pair[2], float v) { return std::fabs(static_cast<double>(v) + pair[0]) <= pair[1]; }
bool StrictlyInside(const float pair[2], float v) { return std::fabs(static_cast<double>(v) + pair[0]) < pair[1]; }
}  // namespace

Rz56QcVerdict CheckRz56QcReading(Rz56QcState& qc, const float ch[kRz56Channels], bool modeD) {
  if (qc.qcArmed == 0) {
    // The arming reading is not itself judged.
    if (StrictlyInside(qc.qcLimits[0], ch[0])) {
      qc.qcArmed = 1;
      qc.qcReadingCount = 0;
    }
    return Rz56QcVerdict::kGoOn;
  }
  if (qc.qcReadingCount < 6) ++qc.qcReadingCount;
  if (qc.qcReadingCount >= 6) return Rz56QcVerdict::kFailed;
  const bool inside = Inside(qc.qcLimits[0], ch[0]) && Inside(qc.qcLimits[1], ch[1]) &&
                      Inside(qc.qcLimits[2], ch[2]) && Inside(qc.qcLimits[modeD ? 4 : 3], ch[3]);
  return inside ? Rz56QcVerdict::kPassed : Rz56QcVerdict::kGoOn;
}

void CompressRz56Core(const float in[kRz56Channels], bool compressed, float out[kRz56Channels]) {
  for (int k = 0; k < kRz56Channels; ++k) {
    const double v = in[k];
    out[k] = !compressed ? in[k] : static_cast<float>(v < 0 ? -std::sqrt(-v) : std::sqrt(v));
  }
}

void ConvertRz56Frame(float& ch1, float& ch2, float& ch3, float& ch4, float& current, int32_t& battery, int16_t& gain,
                      int32_t& tag) {
  unsigned char* frame = LinkState.frame;
  Rz56Inputs in = FromBytes(frame);
  const int16_t received = Signed16(frame + 10);
  AddRz56Current(Rz56Calibration, received);
  in.current = received;
  in.mean = Rz56Calibration.currentMean;
  for (int k = 0; k < kRz56Channels; ++k) in.nullOffset[k] = Rz56Calibration.nullOffset[k];
  const Rz56Values v = ConvertRz56Core(in);
  Rz56Calibration.normFactor = v.factor;
  ch1 = v.ch[0];
  ch2 = v.ch[1];
  ch3 = v.ch[2];
  ch4 = v.ch[3];
  current = received;
  battery = frame[12];
  gain = frame[1];
  tag = frame[0];
  RewriteRz56Frame(frame, Rz56Calibration.currentMean);
}

void ConvertRz56Record(const unsigned char* record, float& ch1, float& ch2, float& ch3, float& ch4, float offset1,
                       float offset2, float offset3, float offset4, int32_t& tag) {
  Rz56Inputs in = FromBytes(record);
  in.stored = true;
  in.mean = Signed16(record + 10) + record[12] / 100.0;
  in.current = in.mean;
  in.nullOffset[0] = offset1;
  in.nullOffset[1] = offset2;
  in.nullOffset[2] = offset3;
  in.nullOffset[3] = offset4;
  const Rz56Values v = ConvertRz56Core(in);
  ch1 = v.ch[0];
  ch2 = v.ch[1];
  ch3 = v.ch[2];
  ch4 = v.ch[3];
  tag = record[0];
}

void SetQcLimits() { SetRz56QcLimits(Rz56Calibration); }

int32_t CheckQcReading(float ch1, float ch2, float ch3, float ch4, int32_t modeD) {
  const float ch[kRz56Channels] = {ch1, ch2, ch3, ch4};
  return static_cast<int32_t>(CheckRz56QcReading(Rz56Calibration, ch, modeD == 1));
}

void Rz56ValuesToRows(float value1, float value2, float value3, float value4, int32_t rows[kRz56Channels]) {
  const float values[kRz56Channels] = {value1, value2, value3, value4};
  for (int k = 0; k < kRz56Channels; ++k) rows[k] = ValueToRow(SurveySettings.scale1Max, values[k], PlotState.pxPerUnit0);
}

void CompressRz56Values(float value1, float value2, float value3, float value4, float& out1, float& out2,
                        float& out3, float& out4) {
  const float in[kRz56Channels] = {value1, value2, value3, value4};
  float out[kRz56Channels];
  CompressRz56Core(in, SurveySettings.rz56ScaleMode == 1, out);
  out1 = out[0];
  out2 = out[1];
  out3 = out[2];
  out4 = out[3];
}

}  // namespace desktop
