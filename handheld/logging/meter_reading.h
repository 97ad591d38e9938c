// The meter reading handler's pure parts: the texts shown for a reading. OnReading (logging.h)
// puts them to work with the record rules both programs share.
#pragma once

#include <cstdint>
#include <string>

#include "common/meter_reading.h"

namespace handheld {

// The record flag, the field texts and means and the record bytes, shared with the desktop
// program (common/meter_reading.h).
using survey::FieldNumber;
using survey::FormatFieldMean;
using survey::NextRecordFlag;
using survey::PrepareRecordFrame;
using survey::RecordFrameInput;

// The mode field's text: by model, from the dipole or component index (nothing when the index is
// out of range) and on the RZ45 from the survey mode at the run's start.
std::wstring ModeText(int32_t model, int32_t dipole, int32_t component, int32_t modeAtStart);

// What a reading shows in the value fields. Empty texts draw nothing (the field stays erased).
struct ReadingView {
  int32_t model = 0;
  bool portrait = true;
  int32_t frameKind = 0;  // RZ27-DD and RZ27: 1 inphase frame, 2 conductivity frame
  int32_t battery = 0;    // RZ12: 1 for a battery frame
  char dipole = 'V';
  int32_t range = 0;
  int32_t range2 = 0;     // RZ27B inphase range
  float value1 = 0, value2 = 0;
  int32_t component = 0;
  int32_t zolEnabled = 0;
  float thickness = -99.0f;
  int32_t displayUnits = 0;
};
struct ReadingTexts {
  std::wstring value1, value2, range, ice;
};
ReadingTexts ReadingDisplayTexts(const ReadingView& v);

// Restores the operator's survey mode and drops a Manual-mode series in progress (of the meters or
// of the RZ27-MK2); nothing when none is. For the pause and every end of a run.
void DropSampleSeries();

}  // namespace handheld
