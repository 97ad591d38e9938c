// The logging window's run states: Data File, GO, PAUSE and the end of the run, the commands of
// its buttons and keys, the soft marker's release, and timer 1's watchdog.
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/models.h"
#include "engine/state.h"
#include "ui/dialogs.h"
#include "common/timing.h"
#include "engine/data_file_create.h"
#include "engine/meter_reading.h"
#include "engine/plot_scale.h"
#include "engine/records.h"
#include "engine/settings.h"
#include "ui/logging.h"
#include "ui/logging_commands.h"
#include "ui/plot.h"
#include "ui/run_start.h"
#include "ui/start_screen.h"

namespace desktop {
namespace {

const ModelRow& Row() { return ThisModel(); }
LoggingKind Kind() { return Row().logging; }
bool Rz56Mk2() { return Kind() == LoggingKind::kRz56Mk2; }

int32_t MonitorCount() { return MonitorButtonCount(Kind()); }
int32_t StandByCount() { return StandByButtonCount(Kind()); }

void ShowSet(HWND* set, int32_t count, int show) {
  for (int32_t i = 0; i < count; ++i) ShowWindow(set[i], show);
}

// The set on show in this state, or null while Logging.
HWND* SetOnShow(int32_t* count) {
  const int32_t state = SurveyRun.state.load();
  if (state == kRunMonitor) {
    *count = MonitorCount();
    return LoggingButtons.monitor;
  }
  if (state == kRunStandBy) {
    *count = StandByCount();
    return LoggingButtons.standBy;
  }
  *count = 0;
  return nullptr;
}

uint32_t EnabledButtons() {
  int32_t count = 0;
  HWND* set = SetOnShow(&count);
  uint32_t mask = 0;
  for (int32_t i = 0; i < count; ++i) {
    if (IsWindowEnabled(set[i])) mask |= 1u << i;
  }
  return mask;
}

void SetButtonsEnabled(HWND* set, int32_t count, BOOL enabled) {
  for (int32_t i = 0; i < count; ++i) EnableWindow(set[i], enabled);
}

// The readings at the station so far, in the marker field (Manual with several per station).
void ShowReadingsAtStation(HWND logging) {
  LoggingLayout.markerRect.top = 2;
  HDC dc = GetDC(logging);
  SetBkMode(dc, TRANSPARENT);
  const std::string count = ReadingsAtStationText(SurveyRun.readingsAtStation, PlotState.groupsPerStation);
  DrawClippedField(dc, LoggingLayout.markerRect, AppWindows.brushValue, count.c_str(), AppWindows.fontBold);
  ReleaseDC(logging, dc);
}

// InvalidateRect (erase) and UpdateWindow of the logging window and CurveWnd, the profile redrawn,
// and the focus back on the logging window.
void Redraw(HWND logging) {
  InvalidateRect(logging, nullptr, TRUE);
  UpdateWindow(logging);
  InvalidateRect(AppWindows.curveWnd, nullptr, TRUE);
  UpdateWindow(AppWindows.curveWnd);
  if (Rz56Mk2()) {
    RedrawRz56Profile(AppWindows.curveWnd);
  } else {
    RedrawProfile(AppWindows.curveWnd);
  }
  SetFocus(logging);
}

void InvalidateAndUpdate(HWND window) {
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
}

void StateWordNow(HWND logging, const char* word, HFONT font) {
  HDC dc = GetDC(logging);
  const HGDIOBJ previous = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  FillRect(dc, &LoggingLayout.stateRect, AppWindows.brushValue);
  ExtTextOutA(dc, LoggingLayout.stateRect.left, 0, 0, nullptr, word, static_cast<UINT>(std::strlen(word)), nullptr);
  SelectObject(dc, previous);
  ReleaseDC(logging, dc);
}

void DataFile(HWND logging) {
  if (CreateDataFile(logging) == 1) {
    ShowSet(LoggingButtons.monitor, MonitorCount(), SW_HIDE);
    ShowSet(LoggingButtons.standBy, StandByCount(), SW_SHOW);
    SendMessageA(LoggingButtons.standBy[0], BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
    LoggingButtons.selected = 0;
    SurveyRun.state = kRunStandBy;
  }
  InvalidateAndUpdate(logging);
  SetFocus(logging);
}

void Go(HWND logging) {
  ShowSet(LoggingButtons.standBy, StandByCount(), SW_HIDE);
  SurveyRun.goTick = GetTickCount();
  if (SurveySettings.surveyMode != kModeManual) SurveySettings.surveyModeChoice = SurveySettings.surveyMode;
  StateWordNow(logging, "Logging", AppWindows.fontLarge);
  if (!Row().rz56) {
    SurveyRun.framesPerReading = SurveySettings.surveyMode == kModeAuto ? LinkState.sampleDivisor : 1;
    LinkState.frameCount = 0;
    if (SurveySettings.surveyMode == kModeManual && PlotState.groupsPerStation > 1) ShowReadingsAtStation(logging);
  } else if (Rz56Mk2() && SurveySettings.surveyMode == kModeAuto) {
    KillTimer(logging, kWatchdogTimer);
    SetTimer(logging, kWatchdogTimer, static_cast<UINT>(Watchdog.readingIntervalMs), nullptr);
  } else if (Rz56Mk2() && SurveySettings.surveyMode == kModeWheel) {
    SwitchRz56ToWheel(logging);
  }
  HDC numbers = GetDC(AppWindows.numbersWnd);
  FillRect(numbers, &LoggingLayout.valueRowRect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ReleaseDC(AppWindows.numbersWnd, numbers);
  ShowWindow(LoggingButtons.pause, SW_SHOW);
  SendMessageA(LoggingButtons.standBy[0], BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  WriteEventRecord("$STARTED", 'X');
  // A PAUSE before the next recorded reading keeps the times as they stand now.
  SurveyRun.lineTimeNowMs = SurveyRun.lineTimeMs;
  SurveyRun.totalTimeNowMs = SurveyRun.totalTimeMs;
  SurveyRun.state = kRunLogging;
  SurveyRun.recordFlag = 0;
}

void Pause(HWND logging) {
  WriteEventRecord("$PAUSED", 'X');
  DropSampleSeries();  // a series cut short: the operator's Manual mode back, the samples dropped
  StateWordNow(logging, "Stand By", AppWindows.fontNormal);
  ShowWindow(LoggingButtons.pause, SW_HIDE);
  ShowSet(LoggingButtons.standBy, StandByCount(), SW_SHOW);
  SendMessageA(LoggingButtons.standBy[0], BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  LoggingButtons.selected = 0;
  if (!Row().rz56) {
    SurveyRun.framesPerReading = 1;
    LinkState.frameCount = 0;
    if (SurveySettings.surveyMode == kModeWheel) SurveySettings.surveyModeChoice = kModeAuto;
    if (SurveySettings.surveyMode == kModeManual) LoggingLayout.markerRect.top = 0;
  } else if (Rz56Mk2() && SurveySettings.surveyMode == kModeAuto) {
    KillTimer(logging, kWatchdogTimer);
    SetTimer(logging, kWatchdogTimer, kRz56PollMs, nullptr);
  } else if (Rz56Mk2() && SurveySettings.surveyMode == kModeWheel) {
    SwitchRz56ToRequests(logging);
  }
  SurveyRun.state = kRunStandBy;
  survey::DelayMs(50);
  SurveyRun.lineTimeMs = SurveyRun.lineTimeNowMs;
  SurveyRun.totalTimeMs = SurveyRun.totalTimeNowMs;
  Redraw(logging);
  LinkState.rz56Ready = 1;
  SetFocus(logging);
}

// Every end of a run aborts an RZ27-MK2 calibration under way: the offsets come back.
void AbortCalibration() {
  if (Rz27Mk2Calibration.active == -1) {
    std::memcpy(SurveySettings.mk2Offset, Rz27Mk2Calibration.backup, sizeof SurveySettings.mk2Offset);
  }
  Rz27Mk2Calibration.active = 0;
  Rz27Mk2Calibration.phase = 0;
  Rz27Mk2Calibration.stage = 0;
}

void Exit(HWND logging) {
  const int ended = StopLogging();
  if (ended == 0) {
    Redraw(logging);
    return;
  }
  if (!IsWindowVisible(logging)) {
    ShowSet(LoggingButtons.standBy, StandByCount(), SW_HIDE);
    ShowSet(LoggingButtons.monitor, MonitorCount(), SW_SHOW);
    SendMessageA(LoggingButtons.monitor[0], BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
    LoggingButtons.selected = 0;
    InvalidateRect(logging, nullptr, TRUE);
    for (HWND button : AppWindows.menuButtons) ShowWindow(button, SW_SHOW);
    MainMenu.mode = 0;
    InvalidateAndUpdate(logging);
  }
}

int YesNoBox(HWND owner, const char* a, const char* b, const char* c, const char* caption) {
  char text[256];
  std::snprintf(text, sizeof text, "%s\r\n%s\r\n%s\r\n", a, b, c);
  return MessageBoxA(owner, text, caption, MB_YESNO | MB_ICONINFORMATION);
}

void Command(HWND logging, int32_t command) {
  const int32_t state = SurveyRun.state.load();
  switch (command) {
    case kCmdNewLine:
      if (RunDialog("GETNEWLINE", logging, NewLineDlgProc) == 1) {
        WriteLineHeader();
        WriteTimeRecord();
        SurveyRun.linesTotal += 1;
        SurveyRun.lineTimeMs = 0;
        SurveyRun.lineTimeNowMs = 0;
        SurveyRun.stationsInLine = 0;
        InvalidateAndUpdate(logging);
      } else {
        Redraw(logging);
      }
      break;
    case kCmdNewStation:
      RunDialog("NEWSTATION", logging, NewStationDlgProc);
      InvalidateAndUpdate(logging);
      if (Rz56Mk2()) {
        RedrawRz56Profile(AppWindows.curveWnd);
      } else {
        RedrawProfile(AppWindows.curveWnd);
      }
      SetFocus(logging);
      break;
    case kCmdComment:
      RunDialog("COMMENT", logging, CommentDlgProc);
      Redraw(logging);
      break;
    case kCmdNulling: {
      if (SurveyRun.acquisitionState != 1) break;
      bool null = true;
      if (state == kRunStandBy) {
        null = MessageBoxA(logging, "DO YOU WANT TO PERFORM NULLING", "NULLING", MB_YESNO | MB_ICONEXCLAMATION) !=
               IDNO;
        if (!null) InvalidateRect(logging, nullptr, TRUE);
      }
      if (null) {
        SurveyRun.acquisitionState = -1;
        Rz56Calibration.nullCount = 0;
        for (int i = 0; i < 4; ++i) PlotState.havePrev[i] = 0;
      }
      if (state != kRunMonitor) Redraw(logging);
      SetFocus(logging);
      break;
    }
    case kCmdScale:
      RunDialog(Row().scaleDialog, logging, ProfileScaleDlgProc);
      Redraw(logging);
      break;
    case kCmdProfiles:
      RunDialog(Row().displayDialog, logging, DisplayOptionsDlgProc);
      if (!Row().rz56) ComputeGridInForce();
      Redraw(logging);
      break;
    case kCmdInternalQc:
    case kCmdExternalQc: {
      if (SurveyRun.acquisitionState != 1) break;
      EnableWindow(AppWindows.curveWnd, FALSE);
      if (state != kRunMonitor) {
        SetButtonsEnabled(LoggingButtons.standBy, StandByCount(), FALSE);
      } else {
        SetButtonsEnabled(LoggingButtons.monitor, MonitorCount(), FALSE);
      }
      const bool external = command == kCmdExternalQc;
      Rz56Calibration.qcExternalCoil = external ? 1 : 0;
      Rz56Calibration.qcStep = 0;
      Rz56Calibration.qcResult = 0;
      Rz56Calibration.qcSecondsOrOk = 0;
      SurveyRun.acquisitionState = -2;
      Rz56Calibration.nullCount = 0;
      Rz56Calibration.qcCode = external ? 'E' : 'I';
      break;
    }
    case kCmdCalibrateMk2:
      if (Rz27Mk2Calibration.active == -1) break;  // a second Calibrate would save the zeros
      std::memcpy(Rz27Mk2Calibration.backup, SurveySettings.mk2Offset, sizeof Rz27Mk2Calibration.backup);
      for (float& offset : SurveySettings.mk2Offset) offset = 0.0f;
      if (YesNoBox(logging, "Place  RZ27-MK2  on  Monopod", "in  Vertical  Dipole  Mode", "and  press  YES  when  ready",
                   "Calibration") == IDYES) {
        Rz27Mk2Calibration.phase = 1;
        Rz27Mk2Calibration.count = 0;
        for (float& sum : Rz27Mk2Calibration.sums) sum = 0.0f;
        Rz27Mk2Calibration.t0 = GetTickCount();
        Rz27Mk2Calibration.active = -1;
      } else {
        std::memcpy(SurveySettings.mk2Offset, Rz27Mk2Calibration.backup, sizeof SurveySettings.mk2Offset);
        Rz27Mk2Calibration.phase = 0;
        Rz27Mk2Calibration.active = 0;
        Redraw(logging);
      }
      break;
    case kCmdDeleteCalibration:
      if (YesNoBox(logging, "Are you sure you want to", "remove Calibration factors?", "press  YES  or  NO",
                   "Delete Calibration") == IDYES) {
        std::memcpy(Rz27Mk2Calibration.previous, SurveySettings.mk2Offset, sizeof Rz27Mk2Calibration.previous);
        for (float& offset : SurveySettings.mk2Offset) offset = 0.0f;
        LoadSaveSettings(1);
        WriteCalibrationRecords();
        Rz27Mk2Calibration.step = 0;
        for (int32_t& have : PlotState.havePrev) have = 0;
      }
      Redraw(logging);
      break;
    default:
      break;
  }
}

void Act(HWND logging, const LoggingStep& step) {
  switch (step.effect) {
    case LoggingEffect::kDataFile: DataFile(logging); break;
    case LoggingEffect::kGo: Go(logging); break;
    case LoggingEffect::kPause: Pause(logging); break;
    case LoggingEffect::kExit: Exit(logging); break;
    case LoggingEffect::kCommand: Command(logging, step.command); break;
    case LoggingEffect::kNone: break;
  }
}

void MoveSelection() {
  int32_t count = 0;
  HWND* set = SetOnShow(&count);
  if (set == nullptr || count == 0) return;
  SendMessageA(set[LoggingButtons.selected], BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  LoggingButtons.selected = LoggingButtons.selected + 1 >= count ? 0 : LoggingButtons.selected + 1;
  SendMessageA(set[LoggingButtons.selected], BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

}  // namespace

// A write that the data file latched as failed is told once; the run goes on.
void ReportWriteFailure(HWND owner) {
  if (!SurveyRun.dataFile.WriteFailed()) return;
  SurveyRun.dataFile.ClearWriteFailed();
  MessageBoxA(owner, "Data file could not be saved", "WARNING", MB_OK | MB_ICONEXCLAMATION);
}

LRESULT LoggingOnCommand(HWND logging, UINT message, WPARAM wParam, LPARAM) {
  SetFocus(logging);
  LoggingInput in;
  in.kind = Kind();
  in.monitorVariant = IsMonitorVariant(BuildConfig);
  in.state = SurveyRun.state.load();
  in.mainMode = MainMenu.mode;
  in.pauseKey = SurveySettings.pauseKey;
  in.softMarker = SurveySettings.softMarker;
  in.softMarkerHeld = SurveyRun.softMarkerHeld.load();
  in.selected = LoggingButtons.selected;
  in.acquisitionState = SurveyRun.acquisitionState;
  in.calibrating = Rz27Mk2Calibration.active == -1;
  in.enabledButtons = EnabledButtons();
  in.message = message;
  in.wParam = wParam;
  const LoggingStep step = DecodeLoggingCommand(in);
  if (step.nextButton) MoveSelection();
  if (step.holdSoftMarker) SurveyRun.softMarkerHeld = 1;
  Act(logging, step);
  ReportWriteFailure(logging);
  return 0;
}

LRESULT LoggingOnKeyUp(HWND logging, UINT, WPARAM key, LPARAM) {
  SetFocus(logging);
  if (ReleasesSoftMarker(MainMenu.mode, SurveySettings.softMarker, SurveyRun.softMarkerHeld.load(), key)) {
    SurveyRun.softMarkerHeld = 0;
  }
  return 0;
}

int StopLogging() {
  HWND logging = AppWindows.loggingWnd;
  const bool fileOpen = SurveyRun.state.load() != kRunMonitor;
  if (fileOpen) {
    if (MessageBoxA(logging, "Exit Logging?", "Confirm Exit", MB_YESNO | MB_ICONQUESTION) != IDYES) {
      SurveyRun.state = kRunStandBy;
      Redraw(logging);
      return 0;
    }
  }
  KillTimer(logging, kWatchdogTimer);
  StopInstrumentLink(fileOpen);
  if (fileOpen) {
    ReportWriteFailure(logging);
    SurveyRun.dataFile.Close();
  }
  StopOtherLinks();
  DropSampleSeries();
  AbortCalibration();
  Rz56Calibration.currentIndex = 0;  // the next run's normalisation fills the ring anew
  SurveyRun.acquisitionState = 0;
  for (int i = 0; i < 4; ++i) {
    Rz56Calibration.previousNullOffset[i] = 0;
    Rz56Calibration.nullOffset[i] = 0;
  }
  WorkerThreads.gpsRun = 0;
  if (fileOpen) {
    SurveyRun.dataFileName.clear();
    SurveyRun.stationsInLine = 0;
    SurveyRun.stationsTotal = 0;
    SurveyRun.linesTotal = 0;
    SurveyRun.gpsFixCount = 0;
    SurveyRun.lineTimeMs = 0;
    SurveyRun.totalTimeMs = 0;
    SurveyRun.lineTimeNowMs = 0;
    SurveyRun.totalTimeNowMs = 0;
    SurveyRun.goTick = 0;
    for (int32_t& v : SurveyRun.totalTimeHms) v = 0;
    SurveyRun.state = kRunMonitor;
  }
  ShowWindow(logging, SW_HIDE);
  InvalidateAndUpdate(AppWindows.mainWnd);
  return 1;
}

LRESULT LoggingOnTimer(HWND logging, UINT, WPARAM, LPARAM) {
  if (Row().watchdog == WatchdogKind::kMeter && MeterLinkLate(GetTickCount(), LinkState.lastFrameTick.load())) {
    if (SurveyRun.state.load() != kRunMonitor) WriteEventRecord("$CONN BREAK", 'X');
    for (int32_t& have : PlotState.havePrev) have = 0;
    ShowNoConnection();
  } else if (Row().watchdog == WatchdogKind::kRz56Mk2) {
    Rz56TimerTick();
  }
  ReportWriteFailure(logging);
  return 1;
}

}  // namespace desktop
