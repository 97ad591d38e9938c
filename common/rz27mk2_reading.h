// What both programs' RZ27-MK2 reading handlers decide the same way: the record flag, the
// Manual-mode series, the 14 record bytes, and the field calibration as a step function. Each
// program draws what these return in its own fields.
#pragma once

#include <cstdint>

namespace survey {

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

constexpr int kMk2RecordBytes = 14;

// The record flag after a reading with this marker letter: in Manual (survey mode 2) one reading
// per press (-1 while the marker stays pressed after it), in the other modes every reading.
int32_t NextMk2RecordFlag(char marker, int32_t surveyMode, int32_t flag);

// How a complete series turns its sums into the reading: the handheld divides in single
// precision, the desktop in double precision; both truncate the counts.
enum class Mk2Means : uint8_t { kSingle, kDouble };

// A run's series (any record with mk2SampleCount, mk2ValueSum[4], mk2CountSum[6] and
// mk2FirstBytes[2]) emptied.
template <typename Run>
void ClearMk2Series(Run& run) {
  run.mk2SampleCount = 0;
  for (float& v : run.mk2ValueSum) v = 0.0f;
  for (uint32_t& v : run.mk2CountSum) v = 0;
}
// Adds a reading to a run's series, keeping bytes 0 and 1 of the series' first frame. Returns
// true when it was the n-th: the reading then holds the means and the series is cleared. An n
// below 1 counts as 1.
template <typename Run>
bool AddMk2Sample(Run& run, Mk2Reading& reading, const unsigned char frame[2], int32_t n, Mk2Means means) {
  if (n < 1) n = 1;
  if (run.mk2SampleCount == 0) {
    run.mk2FirstBytes[0] = frame[0];
    run.mk2FirstBytes[1] = frame[1];
  }
  ++run.mk2SampleCount;
  for (int k = 0; k < 4; ++k) run.mk2ValueSum[k] += reading.values[k];
  for (int k = 0; k < 6; ++k) run.mk2CountSum[k] += static_cast<uint32_t>(reading.raw[k]);
  if (run.mk2SampleCount < n) return false;
  for (int k = 0; k < 4; ++k) {
    reading.values[k] = means == Mk2Means::kSingle
                            ? run.mk2ValueSum[k] / static_cast<float>(n)
                            : static_cast<float>(static_cast<double>(run.mk2ValueSum[k]) / n);
  }
  for (int k = 0; k < 6; ++k) {
    const uint32_t mean = means == Mk2Means::kSingle
                              ? static_cast<uint32_t>(static_cast<float>(run.mk2CountSum[k]) / static_cast<float>(n))
                              : static_cast<uint32_t>(static_cast<double>(run.mk2CountSum[k]) / n);
    reading.raw[k] = static_cast<int32_t>(mean);
  }
  ClearMk2Series(run);
  return true;
}

// The 14 record bytes of a reading: the frame as received, or after a series the series' first
// two bytes and the mean counts, each big-endian in the frame's place. The second reading at a
// station gets the tag '2' in byte 0.
void BuildMk2Record(const unsigned char frame[kMk2RecordBytes], const unsigned char* firstBytes,
                    const Mk2Reading& reading, int32_t readingAtStation, unsigned char out[kMk2RecordBytes]);

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
  const wchar_t* prompt = nullptr;  // drawn as a prompt
  bool showValues = false;          // the reading's values (dipole word, 1 m and 0.5 m fields)
  int exclamationBeeps = 0;
  int handBeeps = 0;
  bool succeeded = false;  // the offsets hold the new calibration: save and record them
  bool ended = false;      // the calibration is over (phase and stage 0): repaint
};

// One reading of a running calibration at tick `now`: advances the state, sets the offsets as
// the calibration finds them (O3 and O4 after the vertical window, all six at success) or puts
// back `backup` at the end of a failure, and tells what to show. `shortTexts` picks the prompts
// of a narrow screen.
CalibrationStep StepCalibration(CalibrationState& s, float offsets[6], const float backup[6], const Mk2Reading& r,
                                uint32_t now, bool shortTexts);

// Copies a program's calibration record (phase, stage, t0, sums, count) to and from the state.
template <typename Calibration>
CalibrationState CalibrationStateOf(const Calibration& c) {
  CalibrationState s;
  s.phase = c.phase;
  s.stage = c.stage;
  s.t0 = c.t0;
  for (int i = 0; i < 8; ++i) s.sums[i] = c.sums[i];
  s.count = c.count;
  return s;
}
template <typename Calibration>
void StoreCalibrationState(const CalibrationState& s, Calibration& c) {
  c.phase = s.phase;
  c.stage = s.stage;
  c.t0 = s.t0;
  for (int i = 0; i < 8; ++i) c.sums[i] = s.sums[i];
  c.count = s.count;
}

}  // namespace survey
