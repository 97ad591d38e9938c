#include "engine/decoders.h"

#include <cstring>

#include "common/decoders.h"
#include "engine/state.h"

namespace handheld {
namespace {

using survey::MeterDecoded;
using survey::Rz27Mk2Decoded;
using survey::ToFloat;

static_assert(TraceSetData::kChannels == survey::kTraceChannels, "TraceSet holds the decoded channels");
static_assert(kMeterRecordBytes == survey::kMeterFrameBytes, "a meter record holds a whole frame");
static_assert(kRz27Mk2RecordBytes == survey::kRz27Mk2FrameBytes, "an RZ27-MK2 record holds a whole frame");

// The RZ12 range codes of this program: the odd codes are battery frames.
constexpr survey::RangeRow kRz12Ranges[8] = {{1000, -0.25f},   {1000, -0.0025f}, {10, -0.0025f},
                                             {1000, -0.0025f}, {100, -0.025f},   {1000, -0.0025f},
                                             {1000, -0.25f},   {1000, -0.0025f}};

// The settings and build switches a meter decoding reads, taken once per call. Stored records
// have no battery frames: their RZ12 readings always take the reading path.
survey::MeterDecodeInputs CurrentInputs(bool batteryFrames) {
  return survey::MeterInputsOf(SurveySettings, BuildConfig, kRz12Ranges, batteryFrames);
}


constexpr double kMk2TemperatureScale = 3.108;
constexpr double kMk2TemperatureZero = 50.0;

double Temperature(int32_t n) { return n / kMk2TemperatureScale - kMk2TemperatureZero; }

bool Mk2InphaseFactors() { return BuildConfig.rz27Mk2Diagnostics != 1; }

// A snapshot of the live frame: the reader does not write it while its reading is handled.
void CopyLiveFrame(unsigned char (&frame)[sizeof LinkState.frame]) {
  std::memcpy(frame, LinkState.frame, sizeof frame);
}

}  // namespace

void DecodeMeterFrame(float& value1, float& value2, char& dipole, int16_t& range, char& marker,
                      int32_t& frameKind, uint16_t& range2, int32_t& battery) {
  unsigned char frame[sizeof LinkState.frame];
  CopyLiveFrame(frame);
  const MeterDecoded d = survey::DecodeMeter(frame, CurrentInputs(true));
  survey::CopyChannels(d.channels, TraceSet.traceValid, TraceSet.traceValue);
  survey::PutMeterOutputs(d, value1, value2, dipole, range, marker, frameKind);
  if (d.hasRange2) range2 = d.range2;
  if (d.hasStatus) battery = d.battery;
}

void DecodeMeterRecord(const unsigned char* record, int32_t* valid, float* values, float& value1,
                       float& value2, char& dipole, int16_t& range, char& marker,
                       int32_t& frameKind) {
  unsigned char frame[kMeterRecordBytes] = {};
  if (record) std::memcpy(frame, record, sizeof frame);
  const MeterDecoded d = survey::DecodeMeter(frame, CurrentInputs(false));
  survey::CopyChannels(d.channels, valid, values);
  survey::PutMeterOutputs(d, value1, value2, dipole, range, marker, frameKind);
}

void DecodeRz27Mk2Frame(float& cond1m, float& inph1m, float& cond05m, float& inph05m,
                        int32_t& rawCond1m, int32_t& rawInph1m, int32_t& rawCond05m,
                        int32_t& rawInph05m, float& temp1, float& temp2, int32_t& rawTemp1,
                        int32_t& rawTemp2, char& dipole, char& marker) {
  unsigned char frame[sizeof LinkState.frame];
  CopyLiveFrame(frame);
  const Rz27Mk2Decoded r = survey::DecodeRz27Mk2(frame, SurveySettings.mk2Offset, Mk2InphaseFactors());
  survey::CopyChannels(r.channels, TraceSet.traceValid, TraceSet.traceValue);
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
  const Rz27Mk2Decoded r = survey::DecodeRz27Mk2(frame, offsets, Mk2InphaseFactors());
  survey::CopyChannels(r.channels, valid, values);
  dipole = r.dipole;
  marker = r.marker;
}

void DecodeStoredReading(const unsigned char* record, const float offsets[6], int32_t* valid, float* values) {
  char dipole = 0;
  char marker = 0;
  if (BuildModel().frames == FrameFamily::kRz27Mk2) {
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
