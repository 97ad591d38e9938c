// The RZ27-MK2 reading handler of the logging window: decodes the frame, decides from the marker
// whether the reading is recorded, averages Manual-mode samples, writes the reading record, moves
// the station on, plots the reading and shows its values in the numbers panel. While the field
// calibration runs, every reading drives the calibration instead, its prompts in the caption row
// of the numbers panel. The monitoring build only shows the values.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "common/rz27mk2_reading.h"
#include "engine/decoders.h"
#include "engine/meter_reading.h"
#include "engine/records.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "ui/logging.h"
#include "ui/plot.h"

namespace desktop {
namespace {

using survey::CalibrationStep;
using survey::Mk2Reading;

HBRUSH White() { return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)); }

void Beep(UINT type, int times) {
  for (int i = 0; i < times; ++i) MessageBeep(type);
}

Mk2Reading Decode() {
  Mk2Reading r;
  DecodeRz27Mk2Frame(r.values[survey::kCond1m], r.values[survey::kInph1m], r.values[survey::kCond05m],
                     r.values[survey::kInph05m], r.raw[0], r.raw[1], r.raw[2], r.raw[3], r.temp1, r.temp2, r.raw[4],
                     r.raw[5], r.dipole, r.marker);
  return r;
}

void ShowValues(HDC numbers, const Mk2Reading& r) {
  ShowRz27Mk2Numbers(numbers, r.values[survey::kCond1m], r.values[survey::kInph1m], r.values[survey::kCond05m],
                     r.values[survey::kInph05m], r.dipole);
}

void DrawModeText(HDC dc) {
  static const char* const kDipoles[] = {"Vertical", "Horizontal", "Both"};
  const int32_t dipole = SurveySettings.dipole;
  FillRect(dc, &LoggingLayout.modeRect, AppWindows.brushValue);
  if (dipole < 0 || dipole > 2) return;
  char text[40];
  std::snprintf(text, sizeof text, "Dipole Mode: %s", kDipoles[dipole]);
  const RECT& r = LoggingLayout.modeRect;
  ExtTextOutA(dc, r.left, r.top, ETO_CLIPPED, &r, text, static_cast<UINT>(std::strlen(text)), nullptr);
}

// A prompt: the caption row of the numbers panel filled white, the text bold and centred across
// the panel, clipped to the row.
void DrawPrompt(HDC numbers, const wchar_t* prompt) {
  const RECT& row = LoggingLayout.captionRowRect;
  FillRect(numbers, &row, White());
  const HGDIOBJ previous = SelectObject(numbers, AppWindows.fontBold);
  const auto length = static_cast<int>(std::wcslen(prompt));
  SIZE size{};
  GetTextExtentPoint32W(numbers, prompt, length, &size);
  const int x = (ScreenLayout.boxesWidth - size.cx) / 2;
  ExtTextOutW(numbers, x, row.top, ETO_CLIPPED, &row, prompt, static_cast<UINT>(length), nullptr);
  SelectObject(numbers, previous);
}

// The end of a calibration on screen: after a success the window and the plot are repainted and
// the profile redrawn with the new offsets; after a failure the window is repainted.
void ShowCalibrationEnd(HWND logging, bool completed) {
  if (!completed) {
    UpdateWindow(logging);
    InvalidateRect(logging, nullptr, TRUE);
    return;
  }
  InvalidateRect(logging, nullptr, TRUE);
  UpdateWindow(logging);
  // A paint of the plot still pending would wipe the redrawn curves.
  InvalidateRect(AppWindows.curveWnd, nullptr, TRUE);
  UpdateWindow(AppWindows.curveWnd);
  RedrawProfile(AppWindows.curveWnd);
  SetFocus(logging);
}

void CalibrationReading(HWND logging, const ReadingDcs& dcs, const Mk2Reading& r) {
  Rz27Mk2CalibrationData& c = Rz27Mk2Calibration;
  const bool completedScreen = c.phase == 2 && c.stage == survey::kStageCompleted;
  survey::CalibrationState s = survey::CalibrationStateOf(c);
  const CalibrationStep step = survey::StepCalibration(s, SurveySettings.mk2Offset, c.backup, r, GetTickCount(), false);
  survey::StoreCalibrationState(s, c);

  if (step.prompt != nullptr) DrawPrompt(dcs.numbers, step.prompt);
  if (step.showValues) ShowValues(dcs.numbers, r);
  Beep(MB_ICONEXCLAMATION, step.exclamationBeeps);
  Beep(MB_ICONHAND, step.handBeeps);
  if (step.succeeded) {
    std::memcpy(c.previous, c.backup, sizeof c.previous);
    // From now on the new offsets stand, also for a run that ends on the completed screen.
    std::memcpy(c.backup, SurveySettings.mk2Offset, sizeof c.backup);
    LoadSaveSettings(1);
    WriteCalibrationRecords();
    c.step = 1;
  }
  if (step.ended) {
    c.active = 0;
    ShowCalibrationEnd(logging, completedScreen);
  }
}

// The averaged values as the plot takes them: the decoder's channels for the reading's dipole.
void PutTraces(const Mk2Reading& r) {
  const int base = r.dipole == 'V' ? 0 : 1;
  for (int k = 0; k < 4; ++k) {
    const int channel = base + 2 * k;
    if (TraceSet.traceValid[channel] == 1) TraceSet.traceValue[channel] = r.values[k];
  }
}

// A sample of a series that does not end it: the third and fourth value cells hold the counter.
void ShowSampleCounter(HDC numbers, int32_t count, int32_t samples) {
  FillRect(numbers, &LoggingLayout.valueRect[2], AppWindows.brushValue);
  FillRect(numbers, &LoggingLayout.valueRect[3], AppWindows.brushValue);
  char text[40];
  std::snprintf(text, sizeof text, "Sample %-3d of %-3d", count, samples);
  const RECT& cell = LoggingLayout.valueRect[2];
  ExtTextOutA(numbers, cell.left, cell.top, 0, nullptr, text, static_cast<UINT>(std::strlen(text)), nullptr);
}

// The record, the station and the plot of a recorded reading.
void RecordReading(HDC dc, const Mk2Reading& r, bool averaged) {
  unsigned char record[survey::kMk2RecordBytes];
  survey::BuildMk2Record(LinkState.frame, averaged ? SurveyRun.mk2FirstBytes : nullptr, r,
                         SurveyRun.readingsAtStation + 1, record);
  ++SurveyRun.readingsAtStation;
  WriteRz27Mk2Reading(record);
  if (SurveyRun.readingsAtStation >= PlotState.groupsPerStation) {
    if (SurveyRun.stationHasReading == 1) SurveyRun.station += SurveySettings.stationIncrement;
    SurveyRun.readingsAtStation = 0;
  }
  SurveyRun.stationHasReading = 1;
  DrawClippedField(dc, LoggingLayout.stationRect, AppWindows.brushValue, StationText(SurveyRun.station).c_str(),
                   AppWindows.fontBold);
  PlotTraces();
}

void ReadingPath(const ReadingDcs& dcs, Mk2Reading r) {
  const bool logging = SurveyRun.state.load() == kRunLogging;
  SurveyRun.recordFlag = survey::NextMk2RecordFlag(r.marker, SurveySettings.surveyMode, SurveyRun.recordFlag);
  const bool recordable = logging && SurveyRun.recordFlag == 1;

  bool averaged = false;
  bool sampleOnly = false;
  if (SurveyRun.averaging == 1 && recordable) {
    SurveySettings.surveyMode = kModeAuto;  // the following frames count as recorded until the series ends
    const int32_t n = SurveySettings.samplesPerReading;
    if (survey::AddMk2Sample(SurveyRun, r, LinkState.frame, n, survey::Mk2Means::kDouble)) {
      SurveySettings.surveyMode = kModeManual;
      averaged = true;
      PutTraces(r);
    } else {
      ShowSampleCounter(dcs.numbers, SurveyRun.mk2SampleCount, n);
      sampleOnly = true;
    }
  }
  if (!sampleOnly) {
    if (recordable) RecordReading(dcs.window, r, averaged);
    ShowValues(dcs.numbers, r);
  }

  const RECT& marker = LoggingLayout.markerRect;
  FillRect(dcs.window, &marker, AppWindows.brushValue);
  const bool countsInManual = SurveySettings.surveyMode == kModeManual && logging;
  if (!countsInManual && r.marker == 'M') {
    ExtTextOutA(dcs.window, marker.left, marker.top, ETO_CLIPPED, &marker, "MARKER", 6, nullptr);
  }
}

}  // namespace

LRESULT OnRz27Mk2Reading(HWND logging, UINT, WPARAM, LPARAM) {
  if (BuildConfig.monitorVariant == 1) {
    const Mk2Reading r = Decode();
    HDC numbers = GetDC(AppWindows.numbersWnd);
    ShowValues(numbers, r);
    ReleaseDC(AppWindows.numbersWnd, numbers);
  } else {
    const int32_t active = Rz27Mk2Calibration.active;
    if (active == -1 || active == 0) {
      ReadingDcs dcs(logging);
      DrawModeText(dcs.window);
      const Mk2Reading r = Decode();
      if (active == -1) {
        CalibrationReading(logging, dcs, r);
      } else {
        ReadingPath(dcs, r);
      }
    }
  }
  LinkState.frame[0] = 0;  // the frame is taken
  return 0;
}

}  // namespace desktop
