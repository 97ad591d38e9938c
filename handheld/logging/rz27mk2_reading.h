// The RZ27-MK2 reading handler's pure parts: the record flag, the Manual-mode series, the record
// bytes, the texts shown for a reading, and the field calibration as a step function.
// OnRz27Mk2Reading (logging.h) puts them to work.
#pragma once

#include <cstdint>
#include <string>

#include "engine/state.h"

namespace handheld {

// One decoded RZ27-MK2 frame.
struct Mk2Reading {
  // Conductivity 1 m, inphase 1 m, conductivity 0.5 m, inphase 0.5 m.
  float values[4] = {};
  // The raw counts of the four values, then of temperature 1 and temperature 2.
  int32_t raw[6] = {};
  float temp1 = 0, temp2 = 0;
  char dipole = 'V';  // 'V' or 'H'
  char marker = 'N';  // 'M' or 'N'
};
enum Mk2Value { kCond1m = 0, kInph1m = 1, kCond05m = 2, kInph05m = 3 };

// Decodes LinkState.frame with the offsets in force (and fills TraceSet).
Mk2Reading DecodeMk2Reading();

// The record flag after a reading with this marker letter: in Manual (survey mode 2) one reading
// per press (-1 while the marker stays pressed after it), in the other modes every reading.
int32_t NextMk2RecordFlag(char marker, int32_t surveyMode, int32_t flag);

// Adds a reading to the run's series (keeping bytes 0 and 1 of the series' first frame). Returns
// true when it was the n-th: the reading then holds the means (values as sum / n in single
// precision, counts truncated) and the series is cleared. An n below 1 counts as 1.
bool AddMk2Sample(SurveyRunData& run, Mk2Reading& reading, const unsigned char frame[2], int32_t n);

// The 14 record bytes of a reading: the frame as received, or after a series the series' first
// two bytes and the mean counts, each big-endian in the frame's place. The second reading at a
// station gets the tag '2' in byte 0.
void BuildMk2Record(const unsigned char frame[14], const unsigned char* firstBytes, const Mk2Reading& reading,
                    int32_t readingAtStation, unsigned char out[14]);

// What a reading shows; an empty text leaves its field erased.
struct Mk2Texts {
  std::wstring dipole, value1, value2, range, value4, temp1, temp2;
};
Mk2Texts Mk2DisplayTexts(const Mk2Reading& r, bool portrait, int32_t mk2Type, bool diagnostics);

// ---- Calibration ------------------------------------------------------------------------------

// Readings a window needs, the windows and the screens' lengths (ms).
constexpr int32_t kCalibrationMinReadings = 30;
constexpr uint32_t kCalibrationWindowMs = 2000;
constexpr uint32_t kHorizontalWaitMs = 60000;
constexpr uint32_t kPreparingMs = 1000;
constexpr uint32_t kClosingScreenMs = 3000;

enum CalibrationStage : int32_t {
  kStageWaiting = 0,
  kStagePreparing = 1,
  kStageHorizontal = 2,
  kStageCompleted = 3,
  kStageVerticalFailed = 4,
  kStageHorizontalFailed = 5,
  kStageNotDetected = 6,
};

// The calibration's own state (Rz27Mk2Calibration without the active flag).
struct CalibrationState {
  int32_t phase = 0;
  int32_t stage = 0;
  uint32_t t0 = 0;
  float sums[8] = {};
  int32_t count = 0;
};

struct CalibrationStep {
  const wchar_t* prompt = nullptr;  // drawn centred in the GPS row
  bool showValues = false;          // the reading's values (dipole word, 1 m and 0.5 m fields)
  int exclamationBeeps = 0;
  int handBeeps = 0;
  bool succeeded = false;  // the offsets hold the new calibration: save and record them
  bool ended = false;      // the calibration is over (phase and stage 0): repaint
};

// One reading of a running calibration at tick `now`: advances the state, sets the offsets as
// the calibration finds them (O3 and O4 after the vertical window, all six at success) or puts
// back `backup` at the end of a failure, and tells what to show.
CalibrationStep StepCalibration(CalibrationState& s, float offsets[6], const float backup[6], const Mk2Reading& r,
                                uint32_t now, bool portrait);

}  // namespace handheld
