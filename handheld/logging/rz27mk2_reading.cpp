// The RZ27-MK2 reading handler: decodes the frame, decides from the marker whether the reading is
// recorded, averages Manual-mode samples, writes the reading record, moves the station on, plots
// the reading and shows its values. While the field calibration runs, every reading drives the
// calibration instead.
#include "logging/rz27mk2_reading.h"

#include <cstring>

#include "engine/decoders.h"
#include "engine/records.h"
#include "engine/settings.h"
#include "logging/logging.h"
#include "logging/meter_reading.h"
#include "logging/screen.h"

namespace handheld {

namespace {

constexpr int kFrameBytes = 14;
constexpr int kScreenBeeps = 3;  // beeps of a calibration's screens

// Frame places of the six counts (big-endian 16 bits), in the order of Mk2Reading.raw.
constexpr int kCountPlace[6] = {6, 8, 2, 4, 10, 12};

void Beep(UINT type, int times) {
  for (int i = 0; i < times; ++i) MessageBeep(type);
}

// The averaged values as the plot takes them: the decoder's channels for the reading's dipole.
void PutTraces(const Mk2Reading& r) {
  const int base = r.dipole == 'V' ? 0 : 1;
  for (int k = 0; k < 4; ++k) {
    const int channel = base + 2 * k;
    if (TraceSet.traceValid[channel] == 1) TraceSet.traceValue[channel] = r.values[k];
  }
}

void DrawModeText(HDC dc) {
  SelectObject(dc, AppWindows.fontNormal);
  EraseField(dc, LoggingLayout.modeRect);
  const std::wstring text = ModeText(kModelRz27Mk2, SurveySettings.dipole, 0, 0);
  if (!text.empty()) DrawTextAt(dc, LoggingLayout.modeRect.left, LoggingLayout.topRowY, text.c_str());
}

// The values in bold; the 0.5 m fields and, on the reading path, the temperatures are erased
// whatever is drawn in them.
void DrawValues(HDC dc, const Mk2Reading& r, bool temperatures) {
  const Mk2Texts t = Mk2DisplayTexts(r, ScreenLayout.portrait != 0, SurveySettings.mk2Type,
                                     temperatures && BuildConfig.rz27Mk2Diagnostics == 1);
  SelectObject(dc, AppWindows.fontBold);
  const struct {
    const RECT& rect;
    const std::wstring& text;
  } fields[] = {{LoggingLayout.dipoleRect, t.dipole}, {LoggingLayout.value1Rect, t.value1},
                {LoggingLayout.value2Rect, t.value2}, {LoggingLayout.rangeRect, t.range},
                {LoggingLayout.value4Rect, t.value4}};
  for (const auto& f : fields) {
    EraseField(dc, f.rect);
    DrawInField(dc, f.rect, f.text);
  }
  if (!t.temp1.empty()) {
    EraseField(dc, LoggingLayout.temp1Rect);
    DrawInField(dc, LoggingLayout.temp1Rect, t.temp1);
    EraseField(dc, LoggingLayout.temp2Rect);
    DrawInField(dc, LoggingLayout.temp2Rect, t.temp2);
  }
}

// A prompt: bold, centred in the GPS row.
void DrawPrompt(HDC dc, const wchar_t* text) {
  SelectObject(dc, AppWindows.fontBold);
  EraseField(dc, LoggingLayout.gpsRowRect);
  DrawCentredAt(dc, LoggingLayout.gpsRowY, text);
}

void CalibrationReading(HWND hwnd, HDC dc, const Mk2Reading& r) {
  Rz27Mk2CalibrationData& c = Rz27Mk2Calibration;
  CalibrationState s;
  s.phase = c.phase;
  s.stage = c.stage;
  s.t0 = c.t0;
  memcpy(s.sums, c.sums, sizeof s.sums);
  s.count = c.count;
  const CalibrationStep step =
      StepCalibration(s, SurveySettings.mk2Offset, c.backup, r, GetTickCount(), ScreenLayout.portrait != 0);
  c.phase = s.phase;
  c.stage = s.stage;
  c.t0 = s.t0;
  memcpy(c.sums, s.sums, sizeof c.sums);
  c.count = s.count;

  if (step.prompt != nullptr) DrawPrompt(dc, step.prompt);
  if (step.showValues) DrawValues(dc, r, false);
  Beep(MB_ICONEXCLAMATION, step.exclamationBeeps);
  Beep(MB_ICONHAND, step.handBeeps);
  if (step.succeeded) {
    memcpy(c.previous, c.backup, sizeof c.previous);
    // From now on the new offsets stand, also for a run that ends on the completed screen.
    memcpy(c.backup, SurveySettings.mk2Offset, sizeof c.backup);
    LoadSaveSettings(1);
    WriteCalibrationRecords();
  }
  if (step.ended) {
    c.active = 0;
    UpdateWindow(hwnd);
    InvalidateRect(hwnd, nullptr, TRUE);
  }
}

void ReadingPath(HDC dc, Mk2Reading r) {
  const bool logging = SurveyRun.state.load() == kRunLogging;
  SurveyRun.recordFlag = NextMk2RecordFlag(r.marker, SurveySettings.surveyMode, SurveyRun.recordFlag);

  bool averaged = false;
  bool sampleOnly = false;
  if (SurveyRun.averaging == 1 && logging && SurveyRun.recordFlag == 1) {
    SurveySettings.surveyMode = 0;  // the following frames count as recorded until the series ends
    const int32_t n = SurveySettings.samplesPerReading;
    const bool complete = AddMk2Sample(SurveyRun, r, LinkState.frame, n);
    if (!complete) {
      EraseField(dc, LoggingLayout.value1Rect);
      EraseField(dc, LoggingLayout.value2Rect);
      EraseField(dc, LoggingLayout.value4Rect);
      EraseField(dc, LoggingLayout.rangeRect);
      DrawInField(dc, LoggingLayout.rangeRect, WideFormat(L"Sample %-3d of %-3d", SurveyRun.mk2SampleCount, n));
      sampleOnly = true;
    } else {
      SurveySettings.surveyMode = 2;
      averaged = true;
      PutTraces(r);
    }
  }

  if (!sampleOnly) {
    if (logging && SurveyRun.recordFlag == 1) {
      unsigned char record[kFrameBytes];
      BuildMk2Record(LinkState.frame, averaged ? SurveyRun.mk2FirstBytes : nullptr, r, SurveyRun.readingsAtStation + 1,
                     record);
      ++SurveyRun.readingsAtStation;
      WriteRz27Mk2Reading(record);
      FinishRecordedReading(dc);
    }
    DrawValues(dc, r, true);
  }

  SelectObject(dc, AppWindows.fontNormal);
  EraseField(dc, LoggingLayout.markerRect);
  const bool marked = r.marker == 'M' && (SurveySettings.surveyMode != 2 || !logging);
  DrawTextAt(dc, LoggingLayout.markerRect.left, LoggingLayout.lineRowY, marked ? L"M" : L" ");

  SelectObject(dc, AppWindows.fontBold);
  RefreshBattery(dc);
}

// A reading summed in a window: the count, the inphase sums from `first` (0 vertical, 2
// horizontal; 1 m, then 0.5 m) and the conductivity sums 4 places on.
void AddToWindow(CalibrationState& s, const Mk2Reading& r, int first) {
  ++s.count;
  s.sums[first] += r.values[kInph1m];
  s.sums[first + 1] += r.values[kInph05m];
  s.sums[first + 4] += r.values[kCond1m];
  s.sums[first + 5] += r.values[kCond05m];
}

}  // namespace

Mk2Reading DecodeMk2Reading() {
  Mk2Reading r;
  DecodeRz27Mk2Frame(r.values[kCond1m], r.values[kInph1m], r.values[kCond05m], r.values[kInph05m], r.raw[0], r.raw[1],
                     r.raw[2], r.raw[3], r.temp1, r.temp2, r.raw[4], r.raw[5], r.dipole, r.marker);
  return r;
}

int32_t NextMk2RecordFlag(char marker, int32_t surveyMode, int32_t flag) {
  const bool manual = surveyMode == 2;
  if (marker != 'M') return manual ? 0 : 1;
  return manual && flag != 0 ? -1 : 1;
}

bool AddMk2Sample(SurveyRunData& run, Mk2Reading& reading, const unsigned char frame[2], int32_t n) {
  if (n < 1) n = 1;
  if (run.mk2SampleCount == 0) {
    run.mk2FirstBytes[0] = frame[0];
    run.mk2FirstBytes[1] = frame[1];
  }
  ++run.mk2SampleCount;
  for (int k = 0; k < 4; ++k) run.mk2ValueSum[k] += reading.values[k];
  for (int k = 0; k < 6; ++k) run.mk2CountSum[k] += static_cast<uint32_t>(reading.raw[k]);
  if (run.mk2SampleCount < n) return false;
  const float count = static_cast<float>(n);
  for (int k = 0; k < 4; ++k) reading.values[k] = run.mk2ValueSum[k] / count;
  for (int k = 0; k < 6; ++k) {
    reading.raw[k] = static_cast<int32_t>(static_cast<uint32_t>(static_cast<float>(run.mk2CountSum[k]) / count));
  }
  run.mk2SampleCount = 0;
  for (float& v : run.mk2ValueSum) v = 0.0f;
  for (uint32_t& v : run.mk2CountSum) v = 0;
  return true;
}

void BuildMk2Record(const unsigned char frame[14], const unsigned char* firstBytes, const Mk2Reading& reading,
                    int32_t readingAtStation, unsigned char out[14]) {
  memcpy(out, frame, kFrameBytes);
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

Mk2Texts Mk2DisplayTexts(const Mk2Reading& r, bool portrait, int32_t mk2Type, bool diagnostics) {
  Mk2Texts t;
  const auto v = [&r](int k) { return static_cast<double>(r.values[k]); };
  t.dipole = r.dipole == 'V' ? L"Ver" : L"Hor";
  t.value1 = WideFormat(portrait ? L"C:%-8.2fmS/m" : L"C:%-8.2f", v(kCond1m));
  t.value2 = WideFormat(portrait ? L"I:%-8.2fppt" : L"I:%-8.2f", v(kInph1m));
  if (mk2Type == 2) {
    t.range = WideFormat(portrait ? L"c:%-8.2fmS/m" : L"c:%-8.2f", v(kCond05m));
    t.value4 = WideFormat(portrait ? L"i:%-8.2fppt" : L"i:%-8.2f", v(kInph05m));
  }
  if (diagnostics) {
    t.temp1 = WideFormat(L"T:%-8.2f", static_cast<double>(r.temp1));
    t.temp2 = WideFormat(L"t:%-8.2f", static_cast<double>(r.temp2));
  }
  return t;
}

namespace {

// One reading's step of a running calibration: the state it advances, the offsets it sets and
// what it shows.
struct Calibrating {
  CalibrationState& s;
  float* offsets;
  const float* backup;
  bool vertical;
  uint32_t now;
  uint32_t elapsed;  // since the phase or stage began
  bool portrait;
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
  c.step.prompt = c.portrait ? L"Rotate to Horiz. Mode within 60 s" : L"Rotate to Horizontal Mode within 60 seconds";
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
  static const wchar_t* const kLandscape[] = {L"Vertical Mode Failed - Wait for Beep",
                                              L"Horizontal Mode Failed - Wait for Beep",
                                              L"Horizontal Mode Not Detected - Wait for Beep"};
  static const wchar_t* const kPortrait[] = {L"Vert. Mode Failed - Wait for Beep", L"Hor. Mode Failed - Wait for Beep",
                                             L"Hor. Mode Not Detected - Wait for Beep"};
  const int k = c.s.stage - kStageVerticalFailed;
  c.step.prompt = c.portrait ? kPortrait[k] : kLandscape[k];
}

}  // namespace

CalibrationStep StepCalibration(CalibrationState& s, float offsets[6], const float backup[6], const Mk2Reading& r,
                                uint32_t now, bool portrait) {
  Calibrating c{s, offsets, backup, r.dipole == 'V', now, now - s.t0, portrait, {}};
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

LRESULT OnRz27Mk2Reading(HWND hwnd, UINT, WPARAM, LPARAM) {
  WindowDc dc(hwnd);
  const int32_t active = Rz27Mk2Calibration.active.load();
  if (active == -1 || active == 0) {
    const Mk2Reading r = DecodeMk2Reading();
    DrawModeText(dc);
    if (active == -1) {
      CalibrationReading(hwnd, dc, r);
    } else {
      ReadingPath(dc, r);
    }
  }
  LinkState.frame[0] = 0;
  return 0;
}

}  // namespace handheld
