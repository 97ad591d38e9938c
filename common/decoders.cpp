#include "common/decoders.h"

#include <windows.h>

#include <cfloat>
#include <cmath>
#include <cstring>

namespace survey {

float ToFloat(double v) { return std::fabs(v) <= FLT_MAX ? static_cast<float>(v) : 0.0f; }

void CopyChannels(const TraceChannels& c, int32_t* valid, float* values) {
  for (int i = 0; i < kTraceChannels; ++i) {
    if (valid) valid[i] = c.valid[i];
    if (values) values[i] = c.value[i];
  }
}

void PutMeterOutputs(const MeterDecoded& d, float& value1, float& value2, char& dipole, int16_t& range, char& marker,
                     int32_t& frameKind) {
  value1 = d.value1;
  value2 = d.value2;
  if (!d.decoded) return;
  dipole = d.dipole;
  marker = d.marker;
  range = d.range;
  if (d.hasFrameKind) frameKind = d.frameKind;
}

namespace {

void Put(TraceChannels& c, int channel, float v) {
  if (channel < 0 || channel >= kTraceChannels) return;
  c.valid[channel] = 1;
  c.value[channel] = v;
}

// ---- Meter frames (models 0 to 6) ------------------------------------------------------------

constexpr int32_t kModelRz45 = 4;
constexpr int32_t kModelZol12 = 6;
constexpr char kMarkerOn = 'M';
constexpr char kMarkerOff = 'N';
constexpr int32_t kSurveyModeManual = 2;

// A field: `width` characters copied out, ended by a NUL and read as a decimal number only.
float Field(const unsigned char* frame, int offset, int width) {
  char text[8];
  std::memcpy(text, frame + offset, static_cast<size_t>(width));
  text[width] = 0;
  return ToFloat(plat::ParseDecimal(text));
}

// The status byte, tested and subtracted in the fixed order.
struct MeterStatus {
  int32_t battery = 0;
  char marker = kMarkerOff;
  char dipole = 'H';
  int gain = 1;
  int rangeCode = 0;  // 0 to 7
  int channel = 0;    // RZ45: dipole base plus the separation's offset
  float separation = 0.0f;
};

MeterStatus DecodeStatus(unsigned char byte, int32_t model, int32_t surveyMode) {
  MeterStatus s;
  int r = byte;
  s.battery = r & 1;
  if (r >= 128) r -= 128;
  if (r >= 64) {
    s.marker = kMarkerOn;
    r -= 64;
  }
  if (surveyMode == kSurveyModeManual) s.marker = kMarkerOff;
  if (model != kModelRz45) {
    if (r >= 32) {
      s.dipole = 'V';
      r -= 32;
    }
    if (r >= 16) {
      s.gain = 8;
      r -= 16;
    }
    if (r >= 8) r -= 8;
  } else {
    // The RZ45 reads bit 5 the other way round and has a coil separation in place of the gain.
    int base = 0;
    s.dipole = 'V';
    if (r >= 32) {
      s.dipole = 'H';
      base = 3;
      r -= 32;
    }
    if (r >= 24) {
      s.separation = 40.0f;
      s.channel = base + 2;
      r -= 24;
    } else if (r >= 16) {
      s.separation = 10.0f;
      s.channel = base;
      r -= 16;
    } else {
      if (r >= 8) r -= 8;
      s.separation = 20.0f;
      s.channel = base + 1;
    }
  }
  s.rangeCode = r;
  return s;
}

// Channels of a quantity pair by dipole: conductivity 0 / 1, inphase 2 / 3.
int CondChannel(char dipole) { return dipole == 'V' ? 0 : 1; }
int InphChannel(char dipole) { return dipole == 'V' ? 2 : 3; }

constexpr float kRz12InphaseFactor = -0.0025f;
constexpr double kRz12ShortDivisor = 3.35;
// Used when a caller gives no RZ12 table: every code a reading of range 10.
constexpr RangeRow kRz12Fallback = {10, -0.0025f};

void DecodeRz12(const unsigned char* f, const MeterStatus& s, const MeterDecodeInputs& in, MeterDecoded& out) {
  const RangeRow& row = in.rz12Ranges ? in.rz12Ranges[s.rangeCode & 7] : kRz12Fallback;
  float field1 = Field(f, 2, 5);
  float field2 = Field(f, 7, 5);
  bool batteryFrame = in.rz12BatteryFrames && s.battery;
  bool shortType = in.rz12Type == 1;
  if (batteryFrame) {
    out.value1 = ToFloat(field1 * row.factor);
    out.value2 = ToFloat(field2 * row.factor);
  } else if (in.component == 0) {
    out.value1 = ToFloat(field1 * row.factor);
    out.value2 = ToFloat(field2 * kRz12InphaseFactor);
    if (shortType) out.value2 = ToFloat(out.value2 / kRz12ShortDivisor);
  } else {
    out.value1 = field1;
    out.value2 = ToFloat(static_cast<double>(field1 * row.factor) * 0.25);
    if (shortType) out.value2 = ToFloat(out.value2 / kRz12ShortDivisor);
  }
  if (in.component == 0) Put(out.channels, CondChannel(s.dipole), out.value1);
  Put(out.channels, InphChannel(s.dipole), out.value2);
  out.range = row.range;
}

void DecodeRz27B(const unsigned char* f, const MeterStatus& s, const MeterDecodeInputs&, MeterDecoded& out) {
  struct Row {
    int16_t condRange;
    uint16_t inphRange;
    float condFactor;
    float inphFactor;
  };
  static constexpr Row kRows[4] = {{100, 100, -0.1f, -0.00288f},
                                   {1000, 100, -1.0f, -0.00288f},
                                   {100, 1000, -0.1f, -0.0288f},
                                   {1000, 1000, -1.0f, -0.0288f}};
  int r = s.rangeCode >= 4 ? s.rangeCode - 4 : s.rangeCode;
  const Row& row = kRows[r & 3];
  float gain = static_cast<float>(s.gain);
  out.value1 = ToFloat(Field(f, 7, 5) * (row.condFactor / gain));
  out.value2 = ToFloat(Field(f, 2, 5) * (row.inphFactor / gain));
  out.range = row.condRange;
  out.hasRange2 = true;
  out.range2 = row.inphRange;
  Put(out.channels, CondChannel(s.dipole), out.value1);
  Put(out.channels, InphChannel(s.dipole), out.value2);
}

constexpr int32_t kInphaseFrame = 1;
constexpr int32_t kConductivityFrame = 2;

void DecodeRz27Dd(const unsigned char* f, const MeterStatus& s, const MeterDecodeInputs&, MeterDecoded& out) {
  float gain = static_cast<float>(s.gain);
  float a = Field(f, 2, 5) / gain;
  float b = Field(f, 7, 5) / gain;
  int r = s.rangeCode;
  float factor;
  int firstChannel;
  out.hasFrameKind = true;
  if (r < 4) {
    out.frameKind = kInphaseFrame;
    factor = r == 3 ? -0.0288f : -0.00288f;
    firstChannel = 2;
  } else {
    out.frameKind = kConductivityFrame;
    r -= 4;
    factor = r == 3 ? -1.0f : -0.1f;
    firstChannel = 0;
  }
  out.range = r == 3 ? 1000 : 100;
  out.value1 = ToFloat(static_cast<double>(a) * factor);  // vertical
  out.value2 = ToFloat(static_cast<double>(b) * factor);  // horizontal
  Put(out.channels, firstChannel, out.value1);
  Put(out.channels, firstChannel + 1, out.value2);
}

void DecodeRz27(const unsigned char* f, const MeterStatus& s, const MeterDecodeInputs& in, MeterDecoded& out) {
  int r = s.rangeCode;
  bool inphase = r < 4;
  if (!inphase) r -= 4;
  out.hasFrameKind = true;
  out.frameKind = inphase ? kInphaseFrame : kConductivityFrame;
  float factor;
  if (r == 3) {
    factor = inphase ? -0.0288f : -1.0f;
    out.range = 1000;
  } else {
    factor = inphase ? -0.00288f : -0.1f;
    out.range = 100;
  }
  factor /= static_cast<float>(s.gain);
  if (in.rz27Scale10 == 1) {
    factor *= 10.0f;
    out.range = static_cast<int16_t>(out.range * 10);
  }
  float v = ToFloat(Field(f, 2, 5) * factor);
  if (inphase) {
    out.value2 = v;
    Put(out.channels, InphChannel(s.dipole), v);
  } else {
    out.value1 = v;
    Put(out.channels, CondChannel(s.dipole), v);
  }
}

void DecodeRz45(const unsigned char* f, const MeterStatus& s, const MeterDecodeInputs&, MeterDecoded& out) {
  static constexpr RangeRow kRows[8] = {{3, -0.00075f},  {1000, -0.25f}, {10, -0.0025f},
                                        {30, -0.0075f},  {100, -0.025f}, {300, -0.075f},
                                        {1000, -0.25f}, {1000, -0.25f}};
  const RangeRow& row = kRows[s.rangeCode & 7];
  out.value1 = ToFloat(Field(f, 2, 5) * row.factor);
  out.value2 = s.separation;
  out.range = row.range;
  Put(out.channels, s.channel, out.value1);
}

void DecodeRz89(const unsigned char* f, const MeterStatus& s, const MeterDecodeInputs&, MeterDecoded& out) {
  RangeRow row{10, -0.25f};
  if (s.rangeCode == 0 || s.rangeCode == 6) {
    row = {1000, -25.0f};
  } else if (s.rangeCode == 4) {
    row = {100, -2.5f};
  }
  out.value1 = ToFloat(Field(f, 2, 5) * row.factor);
  out.value2 = ToFloat(Field(f, 7, 5) * -0.25f);
  out.range = row.range;
  Put(out.channels, 0, out.value1);
  Put(out.channels, 2, out.value2);
}

void DecodeZol12(const unsigned char* f, const MeterStatus&, const MeterDecodeInputs&, MeterDecoded& out) {
  out.value1 = ToFloat(Field(f, 1, 3) / 100.0);  // ice thickness, cm to m
  out.value2 = Field(f, 5, 3);
  out.dipole = 'V';
  out.range = 100;
  out.marker = kMarkerOff;
  Put(out.channels, 0, out.value1);
  Put(out.channels, 2, out.value2);
}

using MeterBranch = void (*)(const unsigned char*, const MeterStatus&, const MeterDecodeInputs&, MeterDecoded&);

// One row per meter model, indexed by the model number.
constexpr MeterBranch kMeterBranches[kMeterModels] = {DecodeRz12, DecodeRz27B, DecodeRz27Dd, DecodeRz27,
                                                      DecodeRz45, DecodeRz89,  DecodeZol12};

// ---- RZ27-MK2 frames -------------------------------------------------------------------------

constexpr double kMk2Inphase1mFactor = 0.028819;
constexpr double kMk2Inphase05mFactor = 0.00720475;

// A count: two bytes, most significant first, unsigned.
int32_t Count(const unsigned char* frame, int offset) {
  return (static_cast<int32_t>(frame[offset]) << 8) | frame[offset + 1];
}

// Base conversion; n x 5 is taken as an integer first.
double BaseValue(int32_t n) { return (static_cast<double>(n * 5) / 1024.0 - 160.0) * 8.0; }

}  // namespace

MeterDecoded DecodeMeter(const unsigned char* frame, const MeterDecodeInputs& in) {
  MeterDecoded out;
  if (in.model < 0 || in.model >= kMeterModels) return out;
  MeterStatus s;
  if (in.model != kModelZol12) {
    s = DecodeStatus(frame[1], in.model, in.surveyMode);
    out.dipole = s.dipole;
    out.marker = s.marker;
    out.hasStatus = true;
    out.battery = s.battery;
  }
  out.decoded = true;
  kMeterBranches[in.model](frame, s, in, out);
  return out;
}

Rz27Mk2Decoded DecodeRz27Mk2(const unsigned char* frame, const float offsets[6], bool inphaseFactors) {
  Rz27Mk2Decoded r;
  int status = frame[1];
  r.marker = status == 2 || status == 6 ? kMarkerOff : kMarkerOn;
  r.dipole = (status & ~(8 | 16)) >= 4 ? 'V' : 'H';
  bool vertical = r.dipole == 'V';
  r.rawCond05m = Count(frame, 2);
  r.rawInph05m = Count(frame, 4);
  r.rawCond1m = Count(frame, 6);
  r.rawInph1m = Count(frame, 8);
  r.rawTemp1 = Count(frame, 10);
  r.rawTemp2 = Count(frame, 12);
  double factor1m = inphaseFactors ? kMk2Inphase1mFactor : 1.0;
  double factor05m = inphaseFactors ? kMk2Inphase05mFactor : 1.0;
  r.cond1m = ToFloat(BaseValue(r.rawCond1m) + offsets[0]);
  r.inph1m = ToFloat(BaseValue(r.rawInph1m) * factor1m - (vertical ? offsets[2] : offsets[4]));
  r.cond05m = ToFloat(BaseValue(r.rawCond05m) + offsets[1]);
  r.inph05m = ToFloat(BaseValue(r.rawInph05m) * factor05m - (vertical ? offsets[3] : offsets[5]));
  int base = vertical ? 0 : 1;
  Put(r.channels, base, r.cond1m);
  Put(r.channels, base + 2, r.inph1m);
  Put(r.channels, base + 4, r.cond05m);
  Put(r.channels, base + 6, r.inph05m);
  return r;
}

}  // namespace survey
