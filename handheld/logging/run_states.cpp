// The survey run's states on the logging window: Create File, start and pause of recording, the
// run's dialogs and popup menu, and the end of the run.
//
// A run can end inside any modal call of these commands (the connection watchdog ends it from its
// timer, which keeps running in modal loops), so each command checks SurveyRun.runActive after
// every modal call and stops there.
#include <cwchar>

#include "engine/gps_reader.h"
#include "engine/records.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "logging/commands.h"
#include "logging/dialogs.h"
#include "logging/logging.h"
#include "logging/meter_reading.h"
#include "logging/screen.h"
#include "logging/dialog_support.h"

namespace handheld {

namespace {

bool RunEnded() { return SurveyRun.runActive == 0; }
bool CalibrationRuns() { return Rz27Mk2Calibration.active.load() == -1; }

// A calibration cut short by the end of the run: the standing offsets come back.
void EndCalibration() {
  if (!CalibrationRuns()) return;
  for (int i = 0; i < 6; ++i) SurveySettings.mk2Offset[i] = Rz27Mk2Calibration.backup[i];
  Rz27Mk2Calibration.phase = 0;
  Rz27Mk2Calibration.stage = 0;
  Rz27Mk2Calibration.active = 0;
}

HWND* SetOnShow(int32_t state) { return state == kRunMonitor ? LoggingButtons.monitor : LoggingButtons.standBy; }
int SetSize(int32_t state) { return state == kRunMonitor ? MonitorButtonCount(BuildConfig.modelIndex) : kStandByButtons; }

void MoveButtonSelection(int32_t state, SelectionMove move) {
  HWND* set = SetOnShow(state);
  const int size = SetSize(state);
  const int count = LoggingButtons.count < size ? LoggingButtons.count : size;
  if (LoggingButtons.selected >= 0 && LoggingButtons.selected < size) SetButtonFrame(set[LoggingButtons.selected], false);
  LoggingButtons.selected = MoveSelection(LoggingButtons.selected, LoggingButtons.first, count, move);
  if (LoggingButtons.selected >= 0 && LoggingButtons.selected < size) SetButtonFrame(set[LoggingButtons.selected], true);
}

void CloseThreadHandle(HANDLE& thread) {
  if (thread != INVALID_HANDLE_VALUE && thread != nullptr) CloseHandle(thread);
  thread = INVALID_HANDLE_VALUE;
}

void ClosePortHandle(std::atomic<HANDLE>& port) {
  const HANDLE h = port.exchange(INVALID_HANDLE_VALUE, std::memory_order_acq_rel);
  if (h != INVALID_HANDLE_VALUE && h != nullptr) CloseHandle(h);
}

// Whether every record so far is on the storage: the file commits, and no write has failed since
// a failure was last told.
bool DataFileSaved() { return SurveyRun.dataFile.Flush() && !SurveyRun.dataFile.WriteFailed(); }

// Tells the operator that records were lost; the latch is cleared first, so that one failure is
// told once.
void TellDataFileNotSaved(HWND hwnd) {
  SurveyRun.dataFile.ClearWriteFailed();
  MessageBoxW(hwnd, L"Data file could not be saved", L"WARNING", MB_OK | MB_ICONEXCLAMATION);
}

// ---- Monitor -----------------------------------------------------------------------------------

void CreateFileCommand(HWND hwnd) {
  CreateDataFile(hwnd);
  if (RunEnded()) return;
  UpdateWindow(hwnd);
  if (SurveyRun.dataFile.IsOpen()) {
    {
      WindowDc dc(hwnd);
      DrawFileName(dc);
      DrawStateField(dc, kRunStandBy);
      DrawLineName(dc, true);
      DrawStation(dc);
    }
    ShowStandBySet();
    SurveyRun.state = kRunStandBy;
    // A first record that was not written: the file stays as it is, and the operator knows.
    if (SurveyRun.dataFile.WriteFailed()) {
      TellDataFileNotSaved(hwnd);
      if (RunEnded()) return;
    }
  }
  ShowSipButton(0);
}

// ---- Stand By and Logging ----------------------------------------------------------------------

void StartRecording(HWND hwnd) {
  WindowDc dc(hwnd);
  DrawStateField(dc, kRunLogging);
  if (LoggingButtons.selected >= 0 && LoggingButtons.selected < kStandByButtons) {
    SetButtonFrame(LoggingButtons.standBy[LoggingButtons.selected], false);
  }
  for (HWND b : LoggingButtons.standBy) ShowWindow(b, SW_HIDE);
  HWND pause = LoggingButtons.pause[PauseButtonIndex(SurveySettings.pauseKey, SurveySettings.surveyMode)];
  ShowWindow(pause, SW_SHOW);
  SetButtonFrame(pause, true);

  LinkState.frameCount = 0;
  SurveyRun.beepCounter = 0;
  SurveyRun.framesPerReading = SurveySettings.surveyMode == 0 ? LinkState.sampleDivisor : 1;
  SurveyRun.state = kRunLogging;
  MessageBeep(MB_ICONHAND);
  SurveyRun.recordFlag = 0;
  PlotState.started = 0;
  for (auto& h : PlotState.havePrev) h = 0;
  EraseField(dc, LoggingLayout.valuesRowRect);
  WriteEventRecord(L"$STARTED", 'X');
}

// The pause commits the file on its open handle: nothing is recorded once the state is Stand By,
// the GPS reader's records written before are in the file, and the flush puts everything on the
// storage. A failed commit, or a record lost since the last one, is told to the operator.
void PauseRecording(HWND hwnd) {
  WriteEventRecord(L"$PAUSED", 'X');
  SurveyRun.state = kRunStandBy;
  DropSampleSeries();  // a Manual average cut short: the operator's mode back, the series dropped
  SurveyRun.framesPerReading = 1;
  LinkState.frameCount = 0;
  const bool saved = DataFileSaved();
  {
    WindowDc dc(hwnd);
    DrawStateField(dc, kRunStandBy);
  }
  ShowStandBySet();
  if (!saved) TellDataFileNotSaved(hwnd);
}

void NewLineCommand(HWND hwnd) {
  ShowSipButton(1);
  const INT_PTR result =
      RunDialogByName(AppWindows.curveWnd, LoggingDialogTemplate(LoggingDialog::kNewLine), NewLineDlgProc);
  ShowSipButton(0);
  SetSipPreference(hwnd, 0);
  if (RunEnded()) return;
  if (result != 0) {
    {
      WindowDc dc(hwnd);
      DrawLineName(dc, true);
      DrawStation(dc);
    }
    SurveyRun.stationHasReading = 0;
    WriteLineHeader();
    WriteTimeRecord();
    // The new line starts on an empty plot.
    InvalidateRect(AppWindows.curveWnd, nullptr, TRUE);
    UpdateWindow(AppWindows.curveWnd);
  } else {
    RedrawPlot(hwnd);
  }
  SetFocus(hwnd);
}

// New Station and Comment: a dialog owned by the plot, with the soft input panel raised.
void PlotDialogCommand(HWND hwnd, LoggingDialog dialog, DLGPROC proc) {
  ShowSipButton(1);
  SetSipPreference(hwnd, 1);
  RunDialogByName(AppWindows.curveWnd, LoggingDialogTemplate(dialog), proc);
  ShowSipButton(0);
  SetSipPreference(hwnd, 0);
  if (RunEnded()) return;
  if (dialog == LoggingDialog::kComment) UpdateWindow(hwnd);
  RedrawPlot(hwnd);
}

void PopupMenuCommand(HWND hwnd) {
  ShowSipButton(1);
  HMENU menu = LoadMenuW(AppWindows.instance,
                         MAKEINTRESOURCEW(BuildModel().calibrates ? kPopupMenuMk2 : kPopupMenu));
  HMENU popup = GetSubMenu(menu, 0);
  if (ScreenLayout.portrait != 0) {
    TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_TOPALIGN, 20, 10, hwnd, nullptr);
  } else {
    TrackPopupMenuEx(popup, TPM_RIGHTALIGN | TPM_TOPALIGN, 220, 10, hwnd, nullptr);
  }
  DestroyMenu(popup);
  DestroyMenu(menu);
  ShowSipButton(0);
  SetSipPreference(hwnd, 0);
  if (RunEnded()) return;
  RedrawPlot(hwnd);
}

// ---- Menu commands -----------------------------------------------------------------------------

void ScaleCommand(HWND hwnd) {
  ShowSipButton(1);
  SetSipPreference(hwnd, 1);
  RunDialogByName(AppWindows.curveWnd, LoggingDialogTemplate(LoggingDialog::kProfileScale), ProfileScaleDlgProc);
  ShowSipButton(0);
  SetSipPreference(hwnd, 0);
  if (RunEnded()) return;
  PlotState.started = 0;
  RedrawPlot(hwnd);
}

void DisplayOptionsCommand(HWND hwnd) {
  ShowSipButton(1);
  RunDialogByName(hwnd, LoggingDialogTemplate(LoggingDialog::kDisplayOptions), DisplayOptionsDlgProc);
  ShowSipButton(0);
  SetSipPreference(hwnd, 0);
  if (RunEnded()) return;
  RedrawPlot(hwnd);
}

void Question(wchar_t* text, size_t size, const wchar_t* a, const wchar_t* b, const wchar_t* c) {
  swprintf(text, size, L"%ls\r\n%ls\r\n%ls\r\n", a, b, c);
}

void CalibrateCommand(HWND hwnd) {
  ShowSipButton(1);
  for (int i = 0; i < 6; ++i) {
    Rz27Mk2Calibration.backup[i] = SurveySettings.mk2Offset[i];
    SurveySettings.mk2Offset[i] = 0.0f;
  }
  wchar_t text[160];
  Question(text, 160, L"Place  RZ27-MK2  on  Monopod", L"in  Vertical  Dipole  Mode", L"and  press  YES  when  ready");
  const int answer = MessageBoxW(hwnd, text, L"CALIBRATION", MB_YESNO | MB_ICONINFORMATION);
  if (answer == IDYES && !RunEnded()) {
    Rz27Mk2Calibration.phase = 1;
    for (auto& s : Rz27Mk2Calibration.sums) s = 0.0f;
    Rz27Mk2Calibration.count = 0;
    Rz27Mk2Calibration.t0 = GetTickCount();
    Rz27Mk2Calibration.active = -1;
  } else {
    // No, or the run ended while the question was open: the offsets in force stay.
    for (int i = 0; i < 6; ++i) SurveySettings.mk2Offset[i] = Rz27Mk2Calibration.backup[i];
    Rz27Mk2Calibration.phase = 0;
    Rz27Mk2Calibration.active = 0;
  }
  ShowSipButton(0);
  SetSipPreference(hwnd, 0);
  if (RunEnded()) return;
  RedrawPlot(hwnd);
}

void DeleteCalibrationCommand(HWND hwnd) {
  ShowSipButton(1);
  wchar_t text[160];
  Question(text, 160, L"Are you sure you want to", L"delete Calibration factors ?", L"press  YES  or  NO");
  const int answer = MessageBoxW(hwnd, text, L"Delete Calibration", MB_YESNO | MB_ICONEXCLAMATION);
  if (answer == IDYES && !RunEnded()) {
    for (int i = 0; i < 6; ++i) {
      Rz27Mk2Calibration.previous[i] = SurveySettings.mk2Offset[i];
      SurveySettings.mk2Offset[i] = 0.0f;
    }
    LoadSaveSettings(1);
    WriteCalibrationRecords();
  }
  ShowSipButton(0);
  SetSipPreference(hwnd, 0);
  if (RunEnded()) return;
  RedrawPlot(hwnd);
}

void RunMenuCommand(HWND hwnd, UINT command) {
  switch (command) {
    case kMenuScale:
      ScaleCommand(hwnd);
      break;
    case kMenuDisplayOptions:
      DisplayOptionsCommand(hwnd);
      break;
    case kMenuRepaint:
      InvalidateRect(hwnd, nullptr, TRUE);
      UpdateWindow(hwnd);
      break;
    // A calibration that runs already takes neither a second start nor a deletion: either would
    // take its zeroed offsets for the real ones.
    case kMenuCalibrate:
      if (BuildModel().calibrates && !CalibrationRuns()) CalibrateCommand(hwnd);
      break;
    case kMenuDeleteCalibration:
      if (BuildModel().calibrates && !CalibrationRuns()) DeleteCalibrationCommand(hwnd);
      break;
    default:  // 1104 to 1106: the menu has closed already
      break;
  }
}

void RunAction(HWND hwnd, int32_t state, int action) {
  if (state == kRunLogging) {
    if (action == 0) PauseRecording(hwnd);
    return;
  }
  const bool monitor = state == kRunMonitor;
  switch (action) {
    case 0:
      if (monitor) {
        CreateFileCommand(hwnd);
      } else {
        StartRecording(hwnd);
      }
      break;
    case 1:
      if (monitor) {
        StopLogging(0);
      } else {
        NewLineCommand(hwnd);
      }
      break;
    case 2:
      PlotDialogCommand(hwnd, LoggingDialog::kNewStation, NewStationDlgProc);
      break;
    case 3:
      PlotDialogCommand(hwnd, LoggingDialog::kComment, CommentDlgProc);
      break;
    case 4:
      if (monitor) {
        StopLogging(0);
      } else {
        PopupMenuCommand(hwnd);
      }
      break;
    case 5:
      StopLogging(0);
      break;
    default:  // 6, 7, 9 and the rest: nothing
      break;
  }
}

}  // namespace

LRESULT LoggingOnCommand(HWND hwnd, UINT, WPARAM wParam, LPARAM) {
  if (RunEnded()) return 0;
  SetFocus(hwnd);
  LoggingCommandInput in;
  in.state = SurveyRun.state;
  in.model = BuildConfig.modelIndex;
  in.portrait = ScreenLayout.portrait;
  in.pauseKey = SurveySettings.pauseKey;
  in.softMarker = SurveySettings.softMarker;
  in.softMarkerHeld = SurveyRun.softMarkerHeld;
  in.selected = LoggingButtons.selected;
  in.wParam = wParam;
  const LoggingCommand c = DecodeLoggingCommand(in);

  if (c.holdSoftMarker) SurveyRun.softMarkerHeld = 1;
  if (c.move != SelectionMove::kNone) MoveButtonSelection(in.state, c.move);
  if (c.action != kNoAction) RunAction(hwnd, in.state, c.action);
  if (c.menuCommand != 0 && !RunEnded()) RunMenuCommand(hwnd, c.menuCommand);
  return 0;
}

LRESULT LoggingOnKeyUp(HWND hwnd, UINT, WPARAM wParam, LPARAM) {
  if (RunEnded()) return 0;
  SetFocus(hwnd);
  if (SurveySettings.softMarker == 1 && SurveyRun.softMarkerHeld == 1 &&
      ReleasesSoftMarker(ScreenLayout.portrait, wParam)) {
    SurveyRun.softMarkerHeld = 0;
  }
  return 0;
}

void StopLogging(int quiet) {
  if (RunEnded()) return;
  HWND hwnd = AppWindows.loggingWnd;
  const int32_t state = SurveyRun.state;
  if (quiet == 0 && (state == kRunStandBy || state == kRunLogging)) {
    const int answer = MessageBoxW(hwnd, L"Exit Logging?", L"Confirm Exit", MB_YESNO | MB_ICONQUESTION);
    if (RunEnded()) return;  // ended meanwhile by the watchdog
    if (answer != IDYES) {
      InvalidateRect(hwnd, nullptr, TRUE);
      UpdateWindow(hwnd);
      RedrawPlot(hwnd);
      return;
    }
  }
  // Records lost since the operator was last told (in Stand By, say, where no pause commits), or a
  // last commit that fails: told before the file is closed as it is.
  if (SurveyRun.dataFile.IsOpen() && !DataFileSaved()) {
    TellDataFileNotSaved(hwnd);
    if (RunEnded()) return;  // ended meanwhile by the watchdog
  }

  SurveyRun.dataFile.Close();
  SurveyRun.runActive = 0;
  DropSampleSeries();
  if (SurveySettings.gpsEnabled == 1 || LinkState.gpsPort.load() != INVALID_HANDLE_VALUE) {
    CloseGpsPortAndWaitForReader();
    CloseThreadHandle(WorkerThreads.gps);
  }
  EndCalibration();  // after the GPS reader, which announces nothing while it runs
  if (SurveyRun.markerOpened != 0) {
    ClosePortHandle(LinkState.markerPort);
    CloseThreadHandle(WorkerThreads.marker);
    SurveyRun.markerOpened = 0;
  }
  if (quiet == 0) KillTimer(hwnd, kWatchdogTimer);
  ClosePortHandle(LinkState.instrumentPort);
  CloseThreadHandle(WorkerThreads.reader);

  SurveyRun.state = kRunMonitor;
  SurveyRun.readingsAtStation = 0;
  SurveyRun.gpsFixCount = 0;
  SurveyRun.framesPerReading = 1;
  LinkState.frameCount = 0;
  ShowWindow(hwnd, SW_HIDE);
}

}  // namespace handheld
