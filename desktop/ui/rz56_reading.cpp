// The RZ56-MK2 reading handler: by the run's acquisition state it normalises the current, nulls,
// judges QC readings for the QC panel, or converts, shows, records and plots a reading.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "engine/meter_reading.h"
#include "engine/records.h"
#include "engine/rz56_frames.h"
#include "engine/rz56_reading.h"
#include "engine/state.h"
#include "ui/logging.h"

namespace desktop {
namespace {

HBRUSH White() { return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)); }

// The numbers panel's value row cleared white, the text in bold from the second cell.
void ValueRowText(const char* text) {
  HDC dc = GetDC(AppWindows.numbersWnd);
  FillRect(dc, &LoggingLayout.valueRowRect, White());
  SetBkMode(dc, TRANSPARENT);
  const HGDIOBJ previous = SelectObject(dc, AppWindows.fontBold);
  const RECT& cell = LoggingLayout.valueRect[1];
  ExtTextOutA(dc, cell.left, cell.top, 0, nullptr, text, static_cast<UINT>(std::strlen(text)), nullptr);
  SelectObject(dc, previous);
  ReleaseDC(AppWindows.numbersWnd, dc);
}

// "Mode: 4" or "Mode: D", the fourth caption of that mode and the four values.
void ShowModeAndValues(int32_t tag, const float ch[kRz56Channels]) {
  const char mode = Rz56Mode(static_cast<unsigned char>(tag));
  char text[16];
  std::snprintf(text, sizeof text, "Mode: %c", mode);
  HDC dc = GetDC(AppWindows.loggingWnd);
  SetBkMode(dc, TRANSPARENT);
  DrawClippedField(dc, LoggingLayout.modeRect, AppWindows.brushValue, text, AppWindows.fontBold);
  ReleaseDC(AppWindows.loggingWnd, dc);
  HDC numbers = GetDC(AppWindows.numbersWnd);
  DrawRz56ModeCaption(numbers, mode);
  ShowRz56Numbers(numbers, ch[0], ch[1], ch[2], ch[3]);
  ReleaseDC(AppWindows.numbersWnd, numbers);
}

void ShowHms(HDC dc, const RECT& field, int32_t ms, int32_t hms[3]) {
  DrawClippedField(dc, field, AppWindows.brushValue, HmsText(ms, hms).c_str(), AppWindows.fontNormal);
}

// A recorded reading: the record, the station, the counts, the point and the times.
void RecordReading(const int32_t rows[kRz56Channels]) {
  WriteRz56Reading();
  if (SurveyRun.stationHasReading == 1) SurveyRun.station += SurveySettings.stationIncrement;
  SurveyRun.stationsInLine += 1;
  SurveyRun.stationsTotal += 1;
  SurveyRun.stationHasReading = 1;
  HDC curve = GetDC(AppWindows.curveWnd);
  PlotRz56Point(curve, rows);
  ReleaseDC(AppWindows.curveWnd, curve);

  const LoggingLayoutData& l = LoggingLayout;
  HDC dc = GetDC(AppWindows.loggingWnd);
  SetBkMode(dc, TRANSPARENT);
  const HBRUSH face = AppWindows.brushValue;
  DrawClippedField(dc, l.stationRect, face, StationText(SurveyRun.station).c_str(), AppWindows.fontBold);
  DrawClippedField(dc, l.lineStationsRect, face, LineStationsText(SurveyRun.stationsInLine).c_str(),
                   AppWindows.fontNormal);
  DrawClippedField(dc, l.totalStationsRect, face, TotalStationsText(SurveyRun.stationsTotal).c_str(),
                   AppWindows.fontNormal);
  const auto elapsed = static_cast<int32_t>(GetTickCount() - SurveyRun.goTick);
  SurveyRun.lineTimeNowMs = SurveyRun.lineTimeMs + elapsed;
  SurveyRun.totalTimeNowMs = SurveyRun.totalTimeMs + elapsed;
  ShowHms(dc, l.lineTimeRect, SurveyRun.lineTimeNowMs, SurveyRun.lineTimeHms);
  ShowHms(dc, l.totalTimeRect, SurveyRun.totalTimeNowMs, SurveyRun.totalTimeHms);
  ReleaseDC(AppWindows.loggingWnd, dc);
}

// The marker, the battery (on red at or below the warning level), the mode and the values.
void ShowReadingStatus(int32_t tag, int32_t battery, const float ch[kRz56Channels]) {
  const LoggingLayoutData& l = LoggingLayout;
  HDC dc = GetDC(AppWindows.loggingWnd);
  SetBkMode(dc, TRANSPARENT);
  if (IsRz56MarkedTag(tag)) {
    DrawClippedField(dc, l.markerRect, AppWindows.brushValue, "MARKER", AppWindows.fontLarge);
  } else {
    FillRect(dc, &l.markerRect, AppWindows.brushValue);
  }
  const float volts = Rz56BatteryVolts(battery);
  char text[48];
  std::snprintf(text, sizeof text, " Battery: %4.1f V", static_cast<double>(volts));
  const HBRUSH brush = volts <= SurveySettings.batteryWarning ? AppWindows.brushPanel : AppWindows.brushValue;
  DrawClippedField(dc, l.batteryRect, brush, text, AppWindows.fontBold);
  ReleaseDC(AppWindows.loggingWnd, dc);
  ShowModeAndValues(tag, ch);
}

struct Converted {
  float ch[kRz56Channels] = {};
  float current = 0;
  int32_t battery = 0;
  int16_t gain = 0;
  int32_t tag = 0;
};

Converted Convert() {
  Converted c;
  ConvertRz56Frame(c.ch[0], c.ch[1], c.ch[2], c.ch[3], c.current, c.battery, c.gain, c.tag);
  return c;
}

void Running() {
  const Converted c = Convert();
  float plotted[kRz56Channels];
  CompressRz56Values(c.ch[0], c.ch[1], c.ch[2], c.ch[3], plotted[0], plotted[1], plotted[2], plotted[3]);
  int32_t rows[kRz56Channels];
  Rz56ValuesToRows(plotted[0], plotted[1], plotted[2], plotted[3], rows);
  SurveyRun.recordFlag = Rz56RecordFlag(c.tag, SurveySettings.surveyMode, SurveyRun.recordFlag);
  if (SurveyRun.state.load() == kRunLogging && SurveyRun.recordFlag == 1) RecordReading(rows);
  ShowReadingStatus(c.tag, c.battery, c.ch);
}

void QcCheck() {
  const Converted c = Convert();
  ShowModeAndValues(c.tag, c.ch);
  if (Rz56Calibration.qcStep == 1) {
    const bool modeD = Rz56Mode(static_cast<unsigned char>(c.tag)) == 'D';
    const auto verdict = static_cast<Rz56QcVerdict>(CheckQcReading(c.ch[0], c.ch[1], c.ch[2], c.ch[3], modeD ? 1 : 0));
    ApplyRz56QcVerdict(Rz56Calibration, verdict, c.ch, Rz56Calibration.qcValue);
  }
}

void Nulling() {
  const Converted c = Convert();
  AccumulateNulling(c.ch[0], c.ch[1], c.ch[2], c.ch[3]);
  char text[32];
  std::snprintf(text, sizeof text, "Nulling:  %2d of %2d", Rz56Calibration.nullCount, Rz56Calibration.nullTarget);
  ValueRowText(text);
}

void Normalising() {
  const int32_t percent = AccumulateNormalization();
  char text[32];
  std::snprintf(text, sizeof text, "Normalization: %3d %c", percent, '%');
  ValueRowText(text);
  if (percent == 100) {
    // The run's start disabled every Monitor button but Exit until now.
    for (HWND button : LoggingButtons.monitor) EnableWindow(button, TRUE);
  }
}

}  // namespace

int32_t AccumulateNormalization() {
  // The frame's current count, signed 16-bit as received (bytes 10 and 11, high byte first), goes
  // into the same ring the conversion keeps its running mean in.
  const auto count = static_cast<int16_t>((LinkState.frame[10] << 8) | LinkState.frame[11]);
  AddRz56Current(Rz56Calibration, count);
  if (Rz56Calibration.currentIndex != 0) return Rz56Calibration.currentIndex * 100 / kRz56RingSize;
  SurveyRun.acquisitionState = kAcqRunning;
  return 100;
}

void AccumulateNulling(float ch1, float ch2, float ch3, float ch4) {
  const float values[kRz56Channels] = {ch1, ch2, ch3, ch4};
  Rz56CalibrationData& cal = Rz56Calibration;
  const Rz56NullingStep step = StepRz56Nulling(cal, SurveyRun.acquisitionState, values, SurveyRun.state.load());
  if (step.setQcLimits) SetQcLimits();
  if (step.showQcPanel) {
    cal.qcSecondsOrOk = 0;
    // Created after CurveWnd, the panel lies beneath it: it is raised over the plot to be seen.
    SetWindowPos(AppWindows.calibrateWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(AppWindows.calibrateWnd, SW_SHOW);
    SetFocus(AppWindows.calibrateWnd);
  }
  if (step.writeNullRecords) WriteNullQcRecords(0, 1, cal.nullOffset, cal.previousNullOffset);
}

LRESULT OnRz56Reading(HWND, UINT, WPARAM, LPARAM) {
  switch (SurveyRun.acquisitionState) {
    case kAcqNormalising:
      Normalising();
      LinkState.frame[0] = 0;
      break;
    case kAcqNulling:
    case kAcqQcNulling:
      Nulling();
      break;
    case kAcqQcCheck:
      QcCheck();
      LinkState.frame[0] = 0;
      break;
    case kAcqRunning:
      Running();
      LinkState.frame[0] = 0;
      break;
    default:
      break;
  }
  return 0;
}

}  // namespace desktop
