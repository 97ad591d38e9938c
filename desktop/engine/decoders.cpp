#include "engine/decoders.h"

#include <cstring>

#include "common/decoders.h"
#include "engine/plot_scale.h"
#include "engine/state.h"

namespace desktop {
namespace {

using survey::MeterDecoded;
using survey::Rz27Mk2Decoded;

static_assert(TraceSetData::kChannels == survey::kTraceChannels, "TraceSet holds the decoded channels");
static_assert(kMeterRecordBytes == survey::kMeterFrameBytes, "a meter record holds a whole frame");
static_assert(kRz27Mk2RecordBytes == survey::kRz27Mk2FrameBytes, "an RZ27-MK2 record holds a whole frame");

// The RZ12 range codes of this program: no battery frames, every code not 0, 4 or 6 is range 10.
constexpr survey::RangeRow kRz12Ranges[8] = {{1000, -0.25f}, {10, -0.0025f},  {10, -0.0025f}, {10, -0.0025f},
                                             {100, -0.025f}, {10, -0.0025f}, {1000, -0.25f}, {10, -0.0025f}};

survey::MeterDecodeInputs CurrentInputs() {
  return survey::MeterInputsOf(SurveySettings, BuildConfig, kRz12Ranges, false);
}

// The desktop program has no diagnostic build: the inphase factors always apply.
constexpr bool kMk2InphaseFactors = true;

// A snapshot of the live frame: the reader does not write it while its reading is handled, and
// the decoder never reads the shared buffer byte by byte.
void CopyLiveFrame(unsigned char (&frame)[LinkStateData::kFrameBytes]) {
  std::memcpy(frame, LinkState.frame, sizeof frame);
}

}  // namespace

void DecodeMeterFrame(float& value1, float& value2, char& dipole, int16_t& range, char& marker, int32_t& frameKind,
                      uint16_t& range2) {
  unsigned char frame[LinkStateData::kFrameBytes];
  CopyLiveFrame(frame);
  const MeterDecoded d = survey::DecodeMeter(frame, CurrentInputs());
  survey::CopyChannels(d.channels, TraceSet.traceValid, TraceSet.traceValue);
  survey::PutMeterOutputs(d, value1, value2, dipole, range, marker, frameKind);
  if (d.hasRange2) range2 = d.range2;
}

void DecodeMeterRecord(const unsigned char* record, int32_t* valid, float* values, float& value1, float& value2,
                       char& dipole, int16_t& range, char& marker, int32_t& frameKind) {
  unsigned char frame[kMeterRecordBytes] = {};
  if (record) std::memcpy(frame, record, sizeof frame);
  const MeterDecoded d = survey::DecodeMeter(frame, CurrentInputs());
  survey::CopyChannels(d.channels, valid, values);
  survey::PutMeterOutputs(d, value1, value2, dipole, range, marker, frameKind);
}

void DecodeRz27Mk2Frame(float& cond1m, float& inph1m, float& cond05m, float& inph05m, int32_t& rawCond1m,
                        int32_t& rawInph1m, int32_t& rawCond05m, int32_t& rawInph05m, float& temp1, float& temp2,
                        int32_t& rawTemp1, int32_t& rawTemp2, char& dipole, char& marker) {
  unsigned char frame[LinkStateData::kFrameBytes];
  CopyLiveFrame(frame);
  const Rz27Mk2Decoded r = survey::DecodeRz27Mk2(frame, SurveySettings.mk2Offset, kMk2InphaseFactors);
  survey::CopyChannels(r.channels, TraceSet.traceValid, TraceSet.traceValue);
  cond1m = r.cond1m;
  inph1m = r.inph1m;
  cond05m = r.cond05m;
  inph05m = r.inph05m;
  rawCond1m = r.rawCond1m;
  rawInph1m = r.rawInph1m;
  rawCond05m = r.rawCond05m;
  rawInph05m = r.rawInph05m;
  temp1 = static_cast<float>(r.rawTemp1);
  temp2 = static_cast<float>(r.rawTemp2);
  rawTemp1 = r.rawTemp1;
  rawTemp2 = r.rawTemp2;
  dipole = r.dipole;
  marker = r.marker;
}

void DecodeRz27Mk2Record(const unsigned char* record, int32_t* valid, float* values, char& dipole, char& marker,
                         float o1, float o2, float o3, float o4, float o5, float o6) {
  unsigned char frame[kRz27Mk2RecordBytes] = {};
  if (record) std::memcpy(frame, record, sizeof frame);
  const float offsets[6] = {o1, o2, o3, o4, o5, o6};
  const Rz27Mk2Decoded r = survey::DecodeRz27Mk2(frame, offsets, kMk2InphaseFactors);
  survey::CopyChannels(r.channels, valid, values);
  dipole = r.dipole;
  marker = r.marker;
}

namespace {

// The scale group of each channel by model: 0 not plotted, 1 scale 1, 2 scale 2.
using ChannelGroups = int8_t[TraceSetData::kChannels];
constexpr ChannelGroups kTwoCoilGroups = {1, 1, 2, 2, 0, 0, 0, 0};  // models 0 to 3
constexpr ChannelGroups kZol12Groups = {1, 0, 2, 0, 0, 0, 0, 0};
constexpr ChannelGroups kMk2Groups = {1, 1, 2, 2, 1, 1, 2, 2};
constexpr ChannelGroups kSixOnScale1 = {1, 1, 1, 1, 1, 1, 0, 0};  // every other model

const ChannelGroups& GroupsOf(int32_t model) {
  switch (model) {
    case kModelRz12:
    case kModelRz27B:
    case kModelRz27Dd:
    case kModelRz27:
      return kTwoCoilGroups;
    case kModelZol12:
      return kZol12Groups;
    case kModelRz27Mk2:
      return kMk2Groups;
    default:
      return kSixOnScale1;
  }
}

}  // namespace

void ValuesToRows(const float values[8], int32_t rows[8]) {
  const ChannelGroups& groups = GroupsOf(BuildConfig.modelIndex);
  for (int c = 0; c < TraceSetData::kChannels; ++c) {
    if (groups[c] == 1) rows[c] = ValueToRow(SurveySettings.scale1Max, values[c], PlotState.pxPerUnit0);
    if (groups[c] == 2) rows[c] = ValueToRow(SurveySettings.scale2Max, values[c], PlotState.pxPerUnit1);
  }
}

void TracesToRows(int32_t rows[8]) { ValuesToRows(TraceSet.traceValue, rows); }

}  // namespace desktop
