// The decoding rules of the instrument frames, shared by both programs: a kept meter or RZ27-MK2
// frame becomes physical values, the dipole and marker letters, the range and the eight display
// channels. Each program's decoders (live and record) call these cores with its settings and put
// the results where its Parts say, so a live reading and its record always decode alike.
//
// The cores are pure: no state, no I/O, defined results for any bytes and any inputs. A field
// that is not a decimal number reads 0, and a value that does not fit a float reads 0.
#pragma once

#include <cstdint>

namespace survey {

constexpr int kTraceChannels = 8;
// Bytes a meter core reads of a frame (the first twelve of a stored reading record), and of an
// RZ27-MK2 frame.
constexpr int kMeterFrameBytes = 12;
constexpr int kRz27Mk2FrameBytes = 14;

// Meter models with a branch of the meter core (0 RZ12 to 6 ZOL12).
constexpr int32_t kMeterModels = 7;

// One row of a range table: the range a code stands for and the factor of a field.
struct RangeRow {
  int16_t range;
  float factor;
};

// The eight display channels of one reading: a value and a flag per channel.
struct TraceChannels {
  float value[kTraceChannels] = {};
  int32_t valid[kTraceChannels] = {};
};

// What a meter decoding reads besides the frame.
struct MeterDecodeInputs {
  int32_t model = 0;
  int32_t surveyMode = 0;  // 2 Manual forces the marker 'N'
  int32_t component = 0;   // RZ12: 0 both quantities, else inphase only
  int32_t rz12Type = 0;    // RZ12: 1 Short (inphase divided by 3.35)
  int32_t rz27Scale10 = 0;
  // The RZ12 range table by range code (the two programs' tables differ).
  const RangeRow* rz12Ranges = nullptr;
  // RZ12: an odd status byte is a battery frame, both fields scaled by the row's factor.
  bool rz12BatteryFrames = false;
};

// The inputs as a program's settings and build switches hold them (both programs name the fields
// alike), with its RZ12 range table and whether its RZ12 frames may be battery frames.
template <class Settings, class Build>
MeterDecodeInputs MeterInputsOf(const Settings& settings, const Build& build, const RangeRow* rz12Ranges,
                                bool rz12BatteryFrames) {
  MeterDecodeInputs in;
  in.model = build.modelIndex;
  in.surveyMode = settings.surveyMode;
  in.component = settings.component;
  in.rz12Type = settings.rz12Type;
  in.rz27Scale10 = build.rz27Scale10;
  in.rz12Ranges = rz12Ranges;
  in.rz12BatteryFrames = rz12BatteryFrames;
  return in;
}

struct MeterDecoded {
  float value1 = 0.0f;
  float value2 = 0.0f;
  bool decoded = false;  // the model has a branch: dipole, marker and range are set
  char dipole = 0;
  char marker = 0;
  int16_t range = 0;
  bool hasStatus = false;  // models 0 to 5: battery is set
  int32_t battery = 0;
  bool hasFrameKind = false;  // models 2 and 3: 1 inphase frame, 2 conductivity frame
  int32_t frameKind = 0;
  bool hasRange2 = false;  // model 1: the inphase range
  uint16_t range2 = 0;
  TraceChannels channels;
};

// Decodes the first kMeterFrameBytes bytes of `frame` for models 0 to 6. Another model gives
// values 0, decoded false and no channel.
MeterDecoded DecodeMeter(const unsigned char* frame, const MeterDecodeInputs& in);

struct Rz27Mk2Decoded {
  float cond1m = 0.0f, inph1m = 0.0f, cond05m = 0.0f, inph05m = 0.0f;
  int32_t rawCond1m = 0, rawInph1m = 0, rawCond05m = 0, rawInph05m = 0, rawTemp1 = 0, rawTemp2 = 0;
  char dipole = 0, marker = 0;
  TraceChannels channels;
};

// Decodes kRz27Mk2FrameBytes bytes of an RZ27-MK2 frame with the offsets O1 to O6. Without the
// inphase factors (a diagnostic build) the inphase stays in the units of the base conversion.
Rz27Mk2Decoded DecodeRz27Mk2(const unsigned char* frame, const float offsets[6], bool inphaseFactors);

// Copies decoded channels to a program's channel arrays (TraceSet or a caller's; either array may
// be null).
void CopyChannels(const TraceChannels& c, int32_t* valid, float* values);

// Hands a meter decoding to the out-parameters of the decoders' signature: the values always,
// the letters and range when the model has a branch, the frame kind when the model sets one.
void PutMeterOutputs(const MeterDecoded& d, float& value1, float& value2, char& dipole, int16_t& range, char& marker,
                     int32_t& frameKind);

// A value that is not finite or does not fit a float reads 0.
float ToFloat(double v);

}  // namespace survey
