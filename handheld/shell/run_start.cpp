// The start of a survey run (the menu's Monitor/Log): the uptime and port checks, the run's state,
// the instrument port and its reader, the watchdog timer, GPS, and the logging window.
#include "engine/gps_reader.h"
#include "engine/ice.h"
#include "engine/ports.h"
#include "engine/readers.h"
#include "engine/state.h"
#include "engine/timing.h"
#include "logging/logging.h"
#include "logging/dialog_support.h"
#include "shell/shell.h"

namespace handheld {

namespace {

constexpr UINT kWatchdogMs = 300;
constexpr int32_t kZol12WatchdogMs = 2000;
constexpr int kReaderStartDelayMs = 50;

void Repaint(HWND window) {
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
}

HANDLE StartThread(LPTHREAD_START_ROUTINE proc) { return CreateThread(nullptr, 0, proc, nullptr, 0, nullptr); }

// The reader's handle check starts from the moment its thread is made.
HANDLE StartReader(LPTHREAD_START_ROUTINE proc) {
  LinkState.lastFrameTick = GetTickCount();
  return StartThread(proc);
}

void RefuseSamePort(HWND window) { MessageBoxW(window, L"Same Port Assigned", L"Serial Port", MB_OK); }

// Everything a run starts from, whatever the previous run left behind.
void PrepareRun() {
  SurveyRun.softMarkerHeld = 0;
  LinkState.hardMarker = 0;
  SurveyRun.modeAtStart = SurveySettings.surveyMode;
  LinkState.lastFrameTick = GetTickCount();
  SurveyRun.readingsAtStation = 0;
  PlotState.started = 0;
  SurveyRun.state = kRunMonitor;
  SurveyRun.framesPerReading = 1;
  LinkState.frameCount = 0;
  SurveyRun.recordFlag = 0;
  SurveyRun.markerOpened = 0;
  Watchdog.missCount = 0;  // the misses of an earlier run (ended by the watchdog or during an outage)
  // A handle still held here belongs to a thread that has ended (the GPS monitor's reader, say):
  // it is closed once, now, so that the run's end never closes it again.
  ReleaseThreadHandle(WorkerThreads.reader);
  ReleaseThreadHandle(WorkerThreads.gps);
  ReleaseThreadHandle(WorkerThreads.marker);
  SurveyRun.averaging = SurveySettings.surveyMode == 2 && SurveySettings.samplesPerReading >= 2 &&
                                BuildModel().frames != FrameFamily::kZol12  // its reader averages none
                            ? 1
                            : 0;
  SelectTraces();
  if (SurveySettings.surveyMode == 2) LinkState.readingsPerSecond = PlotState.groupsPerStation;
}

// The reader of the build's frames. False when the RZ27's probe of the frame length found no
// frame (the port is then closed again).
bool StartInstrumentReader(HWND window) {
  const ModelRow& row = BuildModel();
  switch (row.frames) {
    case FrameFamily::kZol12:
      WorkerThreads.reader = StartReader(Zol12ReaderThread);
      return true;
    case FrameFamily::kRz27Mk2: {
      if (SurveySettings.mk2Type == 1) {
        for (int i = 4; i < 8; ++i) PlotState.traceShown[i] = 0;  // the 0.5 m channels
      }
      WorkerThreads.reader = StartReader(Rz27Mk2ReaderThread);
      // A marker on the instrument's own port is watched by the reader itself.
      const int instrumentCom = PortComNumber(PortRole::kInstrument, SurveySettings.instrumentPort);
      if (PortComNumber(PortRole::kMarker, SurveySettings.markerPort) != 0 &&
          !MarkerSharesPort(SurveySettings.markerPort, instrumentCom)) {
        OpenMarkerPort();  // on failure the watcher finds no port and ends at once
        SurveyRun.markerOpened = 1;
        WorkerThreads.marker = StartReader(MarkerPollThread);
      }
      return true;
    }
    default:
      if (row.probedFrameLength && ProbeRecordLength() != 1) {
        MessageBoxW(window, L"Instrument OFF or Disconnected", L"Connection", MB_OK);
        CloseHandle(LinkState.instrumentPort.exchange(INVALID_HANDLE_VALUE));
        return false;
      }
      WorkerThreads.reader = StartReader(InstrumentReaderThread);
      return true;
  }
}

void StartWatchdogTimer() {
  if (BuildModel().frames != FrameFamily::kZol12) {
    SetTimer(AppWindows.loggingWnd, kWatchdogTimer, kWatchdogMs, nullptr);
  } else if (SurveySettings.surveyMode != 1) {
    Watchdog.periodMs = kZol12WatchdogMs;
    SetTimer(AppWindows.loggingWnd, kWatchdogTimer, static_cast<UINT>(kZol12WatchdogMs), nullptr);
  }
}

}  // namespace

void ReleaseThreadHandle(HANDLE& slot) {
  if (slot != nullptr && slot != INVALID_HANDLE_VALUE) CloseHandle(slot);
  slot = INVALID_HANDLE_VALUE;
}

void StartSurveyRun(HWND window) {
  if (GetTickCount() > kUptimeLimitMs) {
    ShowUptimeStop(window);  // ends the process, unless its box is up already
    return;
  }
  if (SurveySettings.zolEnabled == 1) LoadIceCurve(SurveySettings.seaWaterIndex);
  PrepareRun();

  const int instrumentCom = PortComNumber(PortRole::kInstrument, SurveySettings.instrumentPort);
  const int gpsCom = PortComNumber(PortRole::kGps, SurveySettings.gpsPort);
  const bool gps = SurveySettings.gpsEnabled == 1;
  if (BuildModel().markerPort && gps && MarkerSharesPort(SurveySettings.markerPort, gpsCom)) {
    RefuseSamePort(window);
    return;
  }
  // Settings that name no port are left to the opener, which says so.
  if (gps && instrumentCom != 0 && instrumentCom == gpsCom) {
    RefuseSamePort(window);
  } else {
    SurveyRun.runActive = 1;
    if (OpenInstrumentPort() != 1) {
      SurveyRun.runActive = 0;
    } else if (!StartInstrumentReader(window)) {
      SurveyRun.runActive = 0;
      Repaint(window);
      return;
    } else {
      DelayMs(kReaderStartDelayMs);
      StartWatchdogTimer();
      if (gps && OpenGpsPort() == 1) WorkerThreads.gps = StartThread(GpsReaderThread);
      ShowMonitorButtons();
      ShowWindow(AppWindows.loggingWnd, SW_SHOW);
    }
  }
  ShowSipButton(0);
  Repaint(window);
}

}  // namespace handheld
