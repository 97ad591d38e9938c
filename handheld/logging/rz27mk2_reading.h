// The RZ27-MK2 reading handler's pure parts: the Manual-mode series and the texts shown for a
// reading; the record flag, the record bytes and the calibration are both programs'.
// OnRz27Mk2Reading (logging.h) puts them to work.
#pragma once

#include <cstdint>
#include <string>

#include "common/rz27mk2_reading.h"
#include "engine/state.h"

namespace handheld {

// The pure rules both programs share (common/rz27mk2_reading.h).
using survey::BuildMk2Record;
using survey::CalibrationState;
using survey::CalibrationStep;
using survey::kCond05m;
using survey::kCond1m;
using survey::kInph05m;
using survey::kInph1m;
using survey::Mk2Reading;
using survey::NextMk2RecordFlag;
using survey::StepCalibration;

// Decodes LinkState.frame with the offsets in force (and fills TraceSet).
Mk2Reading DecodeMk2Reading();

// Adds a reading to the run's series (keeping bytes 0 and 1 of the series' first frame). Returns
// true when it was the n-th: the reading then holds the means (values as sum / n in single
// precision, counts truncated) and the series is cleared. An n below 1 counts as 1.
bool AddMk2Sample(SurveyRunData& run, Mk2Reading& reading, const unsigned char frame[2], int32_t n);

// What a reading shows; an empty text leaves its field erased.
struct Mk2Texts {
  std::wstring dipole, value1, value2, range, value4, temp1, temp2;
};
Mk2Texts Mk2DisplayTexts(const Mk2Reading& r, bool portrait, int32_t mk2Type, bool diagnostics);

}  // namespace handheld
