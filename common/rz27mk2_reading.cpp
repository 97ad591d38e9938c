#include "common/rz27mk2_reading.h"

#include <cstring>

namespace survey {

namespace {

constexpr int kScreenBeeps = 3;  // beeps of a calibration's screens

// Frame places of the six counts (big-endian 16 bits), in the order of Mk2Reading.raw.
constexpr int kCountPlace[6] = {6, 8, 2, 4, 10, 12};

// A reading summed in a window: the count, the inphase sums from `first` (0 vertical, 2
// horizontal; 1 m, then 0.5 m) and the conductivity sums 4 places on.
void AddToWindow(CalibrationState& s, const Mk2Reading& r, int first) {
  ++s.count;
  s.sums[first] += r.values[kInph1m];
  s.sums[first + 1] += r.values[kInph05m];
  s.sums[first + 4] += r.values[kCond1m];
  s.sums[first + 5] += r.values[kCond05m];
}

// One reading's step of a running calibration: the state it advances, the offsets it sets and
// what it shows.
struct Calibrating {
  CalibrationState& s;
  float* offsets;
  const float* backup;
  bool vertical;
  uint32_t now;
  uint32_t elapsed;  // since the phase or stage began
  bool shortTexts;
  CalibrationStep step;

  void Enter(int32_t stage) {
    s.stage = stage;
    s.t0 = now;
  }
  // The end of the calibration; a failed one puts the standing offsets back.
  void End(bool restore) {
    if (restore) memcpy(offsets, backup, 6 * sizeof(float));
    s.phase = 0;
    s.stage = 0;
    step.handBeeps += kScreenBeeps;
    step.ended = true;
  }
};

// Phase 1: vertical readings summed for the window; then, with enough of them, the vertical
// inphase offsets and the prompt to rotate, or else the failure screen.
void VerticalWindow(Calibrating& c, const Mk2Reading& r) {
  CalibrationState& s = c.s;
  if (c.elapsed <= kCalibrationWindowMs) {
    if (c.vertical) AddToWindow(s, r, 0);
    c.step.prompt = L"Vertical Calibration";
    c.step.showValues = true;
    return;
  }
  s.phase = 2;
  if (s.count < kCalibrationMinReadings) {
    c.Enter(kStageVerticalFailed);
    return;
  }
  const float count = static_cast<float>(s.count);
  c.offsets[2] = s.sums[0] / count;
  c.offsets[3] = s.sums[1] / count;
  s.sums[4] /= count;
  s.sums[5] /= count;
  c.step.prompt = c.shortTexts ? L"Rotate to Horiz. Mode within 60 s" : L"Rotate to Horizontal Mode within 60 seconds";
  c.step.exclamationBeeps = kScreenBeeps;
  c.Enter(kStageWaiting);
}

// Waiting for the instrument to turn horizontal, up to kHorizontalWaitMs.
void WaitForHorizontal(Calibrating& c) {
  if (!c.vertical) {
    c.Enter(kStagePreparing);
  } else if (c.elapsed > kHorizontalWaitMs) {
    c.Enter(kStageNotDetected);
  }
}

void PrepareHorizontal(Calibrating& c) {
  if (c.elapsed <= kPreparingMs) {
    c.step.prompt = L"Preparing for Horizontal Calibration";
    return;
  }
  c.Enter(kStageHorizontal);
  c.s.count = 0;
}

// Horizontal readings summed for the window; then, with enough of them, the remaining offsets
// and success, or else the failure screen (the reading that ends the window is still summed and
// shown).
void HorizontalWindow(Calibrating& c, const Mk2Reading& r) {
  CalibrationState& s = c.s;
  if (c.elapsed > kCalibrationWindowMs) {
    if (s.count >= kCalibrationMinReadings) {
      const float count = static_cast<float>(s.count);
      c.offsets[4] = s.sums[2] / count;
      c.offsets[5] = s.sums[3] / count;
      s.sums[6] /= count;
      s.sums[7] /= count;
      c.offsets[0] = s.sums[4] - 2.0f * s.sums[6];
      c.offsets[1] = s.sums[5] - 2.0f * s.sums[7];
      c.step.succeeded = true;
      c.Enter(kStageCompleted);
      return;
    }
    c.Enter(kStageHorizontalFailed);
  }
  if (!c.vertical) AddToWindow(s, r, 2);
  c.step.prompt = L"Horizontal Calibration";
  c.step.showValues = true;
}

// The closing screen of a success or of a failure for kClosingScreenMs, then the end.
void ClosingScreen(Calibrating& c) {
  const bool completed = c.s.stage == kStageCompleted;
  if (c.elapsed >= kClosingScreenMs) {
    c.End(!completed);
    return;
  }
  if (completed) {
    c.step.prompt = L"Calibration Completed - Wait for Beep";
    c.step.handBeeps = kScreenBeeps;
    return;
  }
  static const wchar_t* const kLong[] = {L"Vertical Mode Failed - Wait for Beep",
                                         L"Horizontal Mode Failed - Wait for Beep",
                                         L"Horizontal Mode Not Detected - Wait for Beep"};
  static const wchar_t* const kShort[] = {L"Vert. Mode Failed - Wait for Beep", L"Hor. Mode Failed - Wait for Beep",
                                          L"Hor. Mode Not Detected - Wait for Beep"};
  const int k = c.s.stage - kStageVerticalFailed;
  c.step.prompt = c.shortTexts ? kShort[k] : kLong[k];
}

}  // namespace

int32_t NextMk2RecordFlag(char marker, int32_t surveyMode, int32_t flag) {
  const bool manual = surveyMode == 2;
  if (marker != 'M') return manual ? 0 : 1;
  return manual && flag != 0 ? -1 : 1;
}

void BuildMk2Record(const unsigned char frame[kMk2RecordBytes], const unsigned char* firstBytes,
                    const Mk2Reading& reading, int32_t readingAtStation, unsigned char out[kMk2RecordBytes]) {
  memcpy(out, frame, kMk2RecordBytes);
  if (firstBytes != nullptr) {
    out[0] = firstBytes[0];
    out[1] = firstBytes[1];
    for (int k = 0; k < 6; ++k) {
      const auto v = static_cast<uint32_t>(reading.raw[k]) & 0xFFFF;
      out[kCountPlace[k]] = static_cast<unsigned char>(v >> 8);
      out[kCountPlace[k] + 1] = static_cast<unsigned char>(v & 0xFF);
    }
  }
  if (readingAtStation == 2) out[0] = '2';
}

CalibrationStep StepCalibration(CalibrationState& s, float offsets[6], const float backup[6], const Mk2Reading& r,
                                uint32_t now, bool shortTexts) {
  Calibrating c{s, offsets, backup, r.dipole == 'V', now, now - s.t0, shortTexts, {}};
  if (s.phase == 1) {
    VerticalWindow(c, r);
    return c.step;
  }
  if (s.phase != 2) {  // no calibration runs: the standing offsets back
    c.End(true);
    return c.step;
  }
  switch (s.stage) {
    case kStageWaiting:
      WaitForHorizontal(c);
      break;
    case kStagePreparing:
      PrepareHorizontal(c);
      break;
    case kStageHorizontal:
      HorizontalWindow(c, r);
      break;
    case kStageCompleted:
    case kStageVerticalFailed:
    case kStageHorizontalFailed:
    case kStageNotDetected:
      ClosingScreen(c);
      break;
    default:
      c.End(true);
      break;
  }
  return c.step;
}

}  // namespace survey
