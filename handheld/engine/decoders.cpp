#include "engine/decoders.h"

#include <windows.h>

#include <cfloat>
#include <cmath>
#include <cstring>

#include "engine/state.h"

namespace handheld {
namespace {

constexpr int kChannels = TraceSetData::kChannels;

// A value that is not finite or does not fit a float reads 0, so every output is a usable number
// whatever the bytes or the settings.
float ToFloat(double v) { return std::fabs(v) <= FLT_MAX ? static_cast<float>(v) : 0.0f; }

// The settings and build switches a decoder reads, taken once per call.
struct DecodeContext {
  int32_t model;
  int32_t surveyMode;
  int32_t component;
  int32_t rz12Type;
  int32_t rz27Scale10;
  int32_t rz27Mk2Diagnostics;
};

DecodeContext CurrentContext() {
  return {BuildConfig.modelIndex, SurveySettings.surveyMode, SurveySettings.component,
          SurveySettings.rz12Type, BuildConfig.rz27Scale10, BuildConfig.rz27Mk2Diagnostics};
}

// Where the channels go: TraceSet or the caller's arrays (either may be absent in a record call).
struct Channels {
  int32_t* valid;
  float* values;

  void Clear() const {
    for (int i = 0; i < kChannels; ++i) {
      if (valid) valid[i] = 0;
      if (values) values[i] = 0.0f;
    }
  }
  void Put(int channel, float v) const {
    if (channel < 0 || channel >= kChannels) return;
    if (valid) valid[channel] = 1;
    if (values) values[channel] = v;
  }
};

// ---- Meter frames (models 0 to 6) ------------------------------------------------------------

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

// The outputs of one meter decoding; range2 and battery are live-only.
struct MeterOut {
  float& value1;
  float& value2;
  char& dipole;
  int16_t& range;
  char& marker;
  int32_t& frameKind;
  uint16_t* range2;
  int32_t* battery;
  Channels channels;
};

struct RangeRow {
  int16_t range;
  float factor;
};

// Channels of a quantity pair by dipole: conductivity 0 / 1, inphase 2 / 3.
int CondChannel(char dipole) { return dipole == 'V' ? 0 : 1; }
int InphChannel(char dipole) { return dipole == 'V' ? 2 : 3; }

constexpr float kRz12InphaseFactor = -0.0025f;
constexpr double kRz12ShortDivisor = 3.35;

void DecodeRz12(const unsigned char* f, const MeterStatus& s, const DecodeContext& ctx,
                bool batteryPath, MeterOut& out) {
  static constexpr RangeRow kRows[8] = {{1000, -0.25f},  {1000, -0.0025f}, {10, -0.0025f},
                                        {1000, -0.0025f}, {100, -0.025f},  {1000, -0.0025f},
                                        {1000, -0.25f},  {1000, -0.0025f}};
  const RangeRow& row = kRows[s.rangeCode & 7];
  float field1 = Field(f, 2, 5);
  float field2 = Field(f, 7, 5);
  bool batteryFrame = batteryPath && s.battery;
  bool shortType = ctx.rz12Type == 1;
  if (batteryFrame) {
    out.value1 = ToFloat(field1 * row.factor);
    out.value2 = ToFloat(field2 * row.factor);
  } else if (ctx.component == 0) {
    out.value1 = ToFloat(field1 * row.factor);
    out.value2 = ToFloat(field2 * kRz12InphaseFactor);
    if (shortType) out.value2 = ToFloat(out.value2 / kRz12ShortDivisor);
  } else {
    out.value1 = field1;
    out.value2 = ToFloat(static_cast<double>(field1 * row.factor) * 0.25);
    if (shortType) out.value2 = ToFloat(out.value2 / kRz12ShortDivisor);
  }
  if (ctx.component == 0) out.channels.Put(CondChannel(s.dipole), out.value1);
  out.channels.Put(InphChannel(s.dipole), out.value2);
  out.range = row.range;
}

void DecodeRz27B(const unsigned char* f, const MeterStatus& s, const DecodeContext&, bool,
                 MeterOut& out) {
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
  if (out.range2) *out.range2 = row.inphRange;
  out.channels.Put(CondChannel(s.dipole), out.value1);
  out.channels.Put(InphChannel(s.dipole), out.value2);
}

constexpr int32_t kInphaseFrame = 1;
constexpr int32_t kConductivityFrame = 2;

void DecodeRz27Dd(const unsigned char* f, const MeterStatus& s, const DecodeContext&, bool,
                  MeterOut& out) {
  float gain = static_cast<float>(s.gain);
  float a = Field(f, 2, 5) / gain;
  float b = Field(f, 7, 5) / gain;
  int r = s.rangeCode;
  float factor;
  int firstChannel;
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
  out.channels.Put(firstChannel, out.value1);
  out.channels.Put(firstChannel + 1, out.value2);
}

void DecodeRz27(const unsigned char* f, const MeterStatus& s, const DecodeContext& ctx, bool,
                MeterOut& out) {
  int r = s.rangeCode;
  bool inphase = r < 4;
  if (!inphase) r -= 4;
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
  if (ctx.rz27Scale10 == 1) {
    factor *= 10.0f;
    out.range = static_cast<int16_t>(out.range * 10);
  }
  float v = ToFloat(Field(f, 2, 5) * factor);
  if (inphase) {
    out.value2 = v;
    out.channels.Put(InphChannel(s.dipole), v);
  } else {
    out.value1 = v;
    out.channels.Put(CondChannel(s.dipole), v);
  }
}

void DecodeRz45(const unsigned char* f, const MeterStatus& s, const DecodeContext&, bool,
                MeterOut& out) {
  static constexpr RangeRow kRows[8] = {{3, -0.00075f},  {1000, -0.25f}, {10, -0.0025f},
                                        {30, -0.0075f},  {100, -0.025f}, {300, -0.075f},
                                        {1000, -0.25f}, {1000, -0.25f}};
  const RangeRow& row = kRows[s.rangeCode & 7];
  out.value1 = ToFloat(Field(f, 2, 5) * row.factor);
  out.value2 = s.separation;
  out.range = row.range;
  out.channels.Put(s.channel, out.value1);
}

void DecodeRz89(const unsigned char* f, const MeterStatus& s, const DecodeContext&, bool,
                MeterOut& out) {
  RangeRow row{10, -0.25f};
  if (s.rangeCode == 0 || s.rangeCode == 6) {
    row = {1000, -25.0f};
  } else if (s.rangeCode == 4) {
    row = {100, -2.5f};
  }
  out.value1 = ToFloat(Field(f, 2, 5) * row.factor);
  out.value2 = ToFloat(Field(f, 7, 5) * -0.25f);
  out.range = row.range;
  out.channels.Put(0, out.value1);
  out.channels.Put(2, out.value2);
}

void DecodeZol12(const unsigned char* f, const MeterStatus&, const DecodeContext&, bool,
                 MeterOut& out) {
  out.value1 = ToFloat(Field(f, 1, 3) / 100.0);  // ice thickness, cm to m
  out.value2 = Field(f, 5, 3);
  out.dipole = 'V';
  out.range = 100;
  out.marker = kMarkerOff;
  out.channels.Put(0, out.value1);
  out.channels.Put(2, out.value2);
}

using MeterDecoder = void (*)(const unsigned char*, const MeterStatus&, const DecodeContext&, bool,
                              MeterOut&);

// One row per meter model, indexed by the model number.
constexpr MeterDecoder kMeterDecoders[] = {DecodeRz12, DecodeRz27B, DecodeRz27Dd, DecodeRz27,
                                           DecodeRz45, DecodeRz89,  DecodeZol12};
constexpr int32_t kMeterModels = static_cast<int32_t>(sizeof kMeterDecoders / sizeof *kMeterDecoders);

// The one meter core. `frame` holds at least kMeterRecordBytes bytes; `batteryPath` is false for
// stored records, whose RZ12 battery frames decode as readings.
void DecodeMeter(const unsigned char* frame, bool batteryPath, MeterOut& out) {
  DecodeContext ctx = CurrentContext();
  out.value1 = 0.0f;
  out.value2 = 0.0f;
  out.channels.Clear();
  if (ctx.model < 0 || ctx.model >= kMeterModels) return;
  MeterStatus s;
  if (ctx.model != kModelZol12) {
    s = DecodeStatus(frame[1], ctx.model, ctx.surveyMode);
    out.dipole = s.dipole;
    out.marker = s.marker;
    if (out.battery) *out.battery = s.battery;
  }
  kMeterDecoders[ctx.model](frame, s, ctx, batteryPath, out);
}

// ---- RZ27-MK2 frames (model 7) ---------------------------------------------------------------

constexpr double kMk2Inphase1mFactor = 0.028819;
constexpr double kMk2Inphase05mFactor = 0.00720475;
constexpr double kMk2TemperatureScale = 3.108;
constexpr double kMk2TemperatureZero = 50.0;

// A count: two bytes, most significant first, unsigned.
int32_t Count(const unsigned char* frame, int offset) {
  return (static_cast<int32_t>(frame[offset]) << 8) | frame[offset + 1];
}

// Base conversion; n x 5 is taken as an integer first.
double BaseValue(int32_t n) { return (static_cast<double>(n * 5) / 1024.0 - 160.0) * 8.0; }

double Temperature(int32_t n) { return n / kMk2TemperatureScale - kMk2TemperatureZero; }

struct Mk2Result {
  float cond1m, inph1m, cond05m, inph05m;
  int32_t rawCond1m, rawInph1m, rawCond05m, rawInph05m, rawTemp1, rawTemp2;
  char dipole, marker;
};

// The one RZ27-MK2 core. `frame` holds kRz27Mk2RecordBytes bytes; offsets are O1 to O6.
Mk2Result DecodeRz27Mk2(const unsigned char* frame, const float* offsets, int32_t diagnostics,
                        const Channels& channels) {
  Mk2Result r;
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
  double factor1m = diagnostics == 1 ? 1.0 : kMk2Inphase1mFactor;
  double factor05m = diagnostics == 1 ? 1.0 : kMk2Inphase05mFactor;
  r.cond1m = ToFloat(BaseValue(r.rawCond1m) + offsets[0]);
  r.inph1m = ToFloat(BaseValue(r.rawInph1m) * factor1m - (vertical ? offsets[2] : offsets[4]));
  r.cond05m = ToFloat(BaseValue(r.rawCond05m) + offsets[1]);
  r.inph05m = ToFloat(BaseValue(r.rawInph05m) * factor05m - (vertical ? offsets[3] : offsets[5]));
  int base = vertical ? 0 : 1;
  channels.Clear();
  channels.Put(base, r.cond1m);
  channels.Put(base + 2, r.inph1m);
  channels.Put(base + 4, r.cond05m);
  channels.Put(base + 6, r.inph05m);
  return r;
}

// A snapshot of the live frame: the reader does not write it while its reading is handled.
void CopyLiveFrame(unsigned char (&frame)[sizeof LinkState.frame]) {
  std::memcpy(frame, LinkState.frame, sizeof frame);
}

}  // namespace

void DecodeMeterFrame(float& value1, float& value2, char& dipole, int16_t& range, char& marker,
                      int32_t& frameKind, uint16_t& range2, int32_t& battery) {
  unsigned char frame[sizeof LinkState.frame];
  CopyLiveFrame(frame);
  MeterOut out{value1, value2, dipole, range, marker, frameKind,
               &range2, &battery, {TraceSet.traceValid, TraceSet.traceValue}};
  DecodeMeter(frame, true, out);
}

void DecodeMeterRecord(const unsigned char* record, int32_t* valid, float* values, float& value1,
                       float& value2, char& dipole, int16_t& range, char& marker,
                       int32_t& frameKind) {
  unsigned char frame[kMeterRecordBytes] = {};
  if (record) std::memcpy(frame, record, sizeof frame);
  MeterOut out{value1, value2, dipole, range, marker, frameKind, nullptr, nullptr, {valid, values}};
  DecodeMeter(frame, false, out);
}

void DecodeRz27Mk2Frame(float& cond1m, float& inph1m, float& cond05m, float& inph05m,
                        int32_t& rawCond1m, int32_t& rawInph1m, int32_t& rawCond05m,
                        int32_t& rawInph05m, float& temp1, float& temp2, int32_t& rawTemp1,
                        int32_t& rawTemp2, char& dipole, char& marker) {
  unsigned char frame[sizeof LinkState.frame];
  CopyLiveFrame(frame);
  Mk2Result r = DecodeRz27Mk2(frame, SurveySettings.mk2Offset, BuildConfig.rz27Mk2Diagnostics,
                              {TraceSet.traceValid, TraceSet.traceValue});
  cond1m = r.cond1m;
  inph1m = r.inph1m;
  cond05m = r.cond05m;
  inph05m = r.inph05m;
  rawCond1m = r.rawCond1m;
  rawInph1m = r.rawInph1m;
  rawCond05m = r.rawCond05m;
  rawInph05m = r.rawInph05m;
  temp1 = ToFloat(Temperature(r.rawTemp1));
  temp2 = ToFloat(Temperature(r.rawTemp2));
  rawTemp1 = r.rawTemp1;
  rawTemp2 = r.rawTemp2;
  dipole = r.dipole;
  marker = r.marker;
}

void DecodeRz27Mk2Record(const unsigned char* record, int32_t* valid, float* values, char& dipole,
                         char& marker, float o1, float o2, float o3, float o4, float o5, float o6) {
  unsigned char frame[kRz27Mk2RecordBytes] = {};
  if (record) std::memcpy(frame, record, sizeof frame);
  const float offsets[6] = {o1, o2, o3, o4, o5, o6};
  Mk2Result r = DecodeRz27Mk2(frame, offsets, BuildConfig.rz27Mk2Diagnostics, {valid, values});
  dipole = r.dipole;
  marker = r.marker;
}

void DecodeStoredReading(const unsigned char* record, const float offsets[6], int32_t* valid, float* values) {
  char dipole = 0;
  char marker = 0;
  if (BuildConfig.modelIndex == kModelRz27Mk2) {
    DecodeRz27Mk2Record(record, valid, values, dipole, marker, offsets[0], offsets[1], offsets[2], offsets[3],
                        offsets[4], offsets[5]);
    return;
  }
  float value1 = 0.0f;
  float value2 = 0.0f;
  int16_t range = 0;
  int32_t frameKind = 0;
  DecodeMeterRecord(record, valid, values, value1, value2, dipole, range, marker, frameKind);
}

}  // namespace handheld
