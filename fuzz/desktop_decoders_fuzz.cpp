// The desktop program's frame decoders on any bytes, for every model, with the settings taken from
// the input: byte 0 the model, byte 1 the survey mode, component, RZ12 type and scale switch,
// bytes 2 to 7 the RZ27-MK2 offsets, bytes 8 and 9 the plot factors; the rest is the frame. The
// record decoders must agree with the live ones, and the plot rows of the decoded channels stay in
// the drawing calls' range.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/decoders.h"
#include "engine/plot_scale.h"
#include "engine/state.h"
#include "fuzz_check.h"

using namespace desktop;

namespace {

bool Same(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 10) return 0;
  const int model = data[0] % 10 - 2;  // -2 to 7
  BuildConfig.modelIndex = model;
  BuildConfig.rz27Scale10 = (data[1] >> 6) & 1;
  SurveySettings.surveyMode = data[1] % 3;
  SurveySettings.component = (data[1] >> 2) % 3;
  SurveySettings.rz12Type = (data[1] >> 4) & 1;
  float offsets[6];
  for (int i = 0; i < 6; ++i) offsets[i] = static_cast<float>(static_cast<int8_t>(data[2 + i])) * 1e36f;
  memcpy(SurveySettings.mk2Offset, offsets, sizeof offsets);
  PlotState.pxPerUnit0 = static_cast<float>(data[8]) * 1e30f;
  PlotState.pxPerUnit1 = static_cast<float>(static_cast<int8_t>(data[9])) / 8.0f;

  unsigned char frame[LinkStateData::kFrameBytes] = {};
  const size_t n = size - 10 < sizeof frame ? size - 10 : sizeof frame;
  memcpy(frame, data + 10, n);
  memcpy(LinkState.frame, frame, sizeof frame);

  int32_t valid[8];
  float values[8];
  char dipole = 0, marker = 0, recDipole = 0, recMarker = 0;
  if (model == kModelRz27Mk2) {
    float c1, i1, c05, i05, t1, t2;
    int32_t r1, r2, r3, r4, r5, r6;
    DecodeRz27Mk2Frame(c1, i1, c05, i05, r1, r2, r3, r4, t1, t2, r5, r6, dipole, marker);
    FUZZ_CHECK(r5 >= 0 && r5 <= 0xFFFF && t1 == static_cast<float>(r5) && t2 == static_cast<float>(r6));
    DecodeRz27Mk2Record(frame, valid, values, recDipole, recMarker, offsets[0], offsets[1], offsets[2], offsets[3],
                        offsets[4], offsets[5]);
  } else {
    float v1 = 0, v2 = 0, rv1 = 0, rv2 = 0;
    int16_t range = 0, recRange = 0;
    int32_t kind = 0, recKind = 0;
    uint16_t range2 = 0;
    DecodeMeterFrame(v1, v2, dipole, range, marker, kind, range2);
    DecodeMeterRecord(frame, valid, values, rv1, rv2, recDipole, recRange, recMarker, recKind);
    FUZZ_CHECK(range == recRange && kind == recKind && Same(v1, rv1) && Same(v2, rv2));
  }
  FUZZ_CHECK(dipole == recDipole && marker == recMarker);
  for (int c = 0; c < 8; ++c) {
    FUZZ_CHECK(TraceSet.traceValid[c] == valid[c]);
    FUZZ_CHECK(Same(TraceSet.traceValue[c], values[c]));
  }
  SurveySettings.scale1Max = offsets[0];
  SurveySettings.scale2Max = static_cast<float>(data[9]);
  int32_t rows[8] = {};
  TracesToRows(rows);
  for (int32_t r : rows) FUZZ_CHECK(r >= kRowMin && r <= kRowMax);
  return 0;
}
