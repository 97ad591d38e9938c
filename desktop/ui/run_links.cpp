// The run's links: the ports, the instrument's reader, the watchdog timer, the marker watcher and
// the GPS thread, started at a run's start and closed at its end; the RZ56-MK2's switches between
// request and wheel reading at GO and PAUSE; and timer 1's RZ56-MK2 requests.
//
// Every handle is closed only while it is valid and is invalid right after, so nothing is closed
// twice; a port's field goes invalid before its handle closes, so a reader never meets a closed
// handle that still looks current.
#include <cstring>

#include "common/timing.h"
#include "engine/gps_reader.h"
#include "engine/models.h"
#include "engine/ports.h"
#include "engine/readers.h"
#include "engine/records.h"
#include "engine/rz56_link.h"
#include "engine/state.h"
#include "ui/logging.h"
#include "ui/logging_commands.h"
#include "ui/run_start.h"

namespace desktop {
namespace {

// The longest wait for a reader to end once its port is closed; it serves the reader's sends.
constexpr DWORD kReaderEndWaitMs = 1000;

bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

void CloseThreadHandle(HANDLE& h) {
  if (Valid(h)) CloseHandle(h);
  h = INVALID_HANDLE_VALUE;
}

void ClosePort(std::atomic<HANDLE>& port) {
  const HANDLE h = port.exchange(INVALID_HANDLE_VALUE);
  if (Valid(h)) CloseHandle(h);
}

// A thread whose port has been closed: waited for while its sends are served, then its handle
// closed. True when it has ended.
bool EndThread(HANDLE& h) {
  bool ended = true;
  if (Valid(h)) ended = plat::WaitServicingSends(h, kReaderEndWaitMs) == WAIT_OBJECT_0;
  CloseThreadHandle(h);
  return ended;
}

HANDLE StartThread(LPTHREAD_START_ROUTINE proc) {
  const HANDLE h = CreateThread(nullptr, 0, proc, nullptr, 0, nullptr);
  return h != nullptr ? h : INVALID_HANDLE_VALUE;
}

void StampTicks() {
  const uint32_t now = GetTickCount();
  LinkState.lastRz56Tick = now;
  LinkState.lastFrameTick = now;
}

// Wakes an RZ56 request reader that waits for a request, so that it finds its port closed.
void WakeRequestReader() {
  const HANDLE event = LinkState.requestEvent.load();
  if (event != nullptr) SetEvent(event);
}

void CloseRequestEvent() {
  const HANDLE event = LinkState.requestEvent.exchange(nullptr);
  if (event != nullptr) CloseHandle(event);
}

// What a failed start opened is closed again: the instrument port (reader state 0) and the GPS
// port when this start opened it (its reader state back to 0 with it).
void ReleaseStartPorts(bool gpsOpened) {
  if (LinkState.instrumentReaderState.load() == 1) {
    ClosePort(LinkState.instrumentPort);
    LinkState.instrumentReaderState = 0;
  }
  if (gpsOpened) {
    ClosePort(LinkState.gpsPort);
    GpsState.readerState = 0;
  }
}

void ConnectionRefused(HWND main) { MessageBoxA(main, "Instrument OFF or Disconnected", "Connection", MB_OK); }

// The RZ56-MK2 start: "OK" to 'H','X', then the request reader and the 100 ms timer; the Monitor
// buttons but Exit stay disabled until the normalisation is done. False without the "OK".
bool StartRz56Mk2(HWND main, HWND logging) {
  const bool ok = SendInstrumentCommand('H', 'X', 1) == 1;
  if (ok) {
    survey::DelayMs(100);
    LinkState.requestEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    WorkerThreads.reader = StartThread(Rz56ReaderThread);
    survey::DelayMs(200);
    SetTimer(logging, kWatchdogTimer, kRz56PollMs, nullptr);
    LinkState.lastRz56Tick = GetTickCount();
    LinkState.rz56Ready = 1;
    SurveyRun.acquisitionState = 0;
    survey::DelayMs(50);
  } else {
    ConnectionRefused(main);
  }
  for (int32_t i = 0; i < MonitorButtonCount(LoggingKind::kRz56Mk2); ++i) {
    char caption[16] = {};
    GetWindowTextA(LoggingButtons.monitor[i], caption, sizeof caption);
    if (std::strcmp(caption, "E&xit") != 0) EnableWindow(LoggingButtons.monitor[i], FALSE);
  }
  return ok;
}

// The RZ27-MK2's marker on a port of its own is watched by a thread of the run.
void StartMarkerWatcher() {
  const int32_t marker = SurveySettings.markerPort;
  if (PortComNumber(PortRole::kMarker, marker) == 0 ||
      MarkerSharesInstrumentPort(marker, SurveySettings.instrumentPort)) {
    return;
  }
  OpenMarkerPort();  // on failure the watcher finds no port and ends at once
  SurveyRun.markerOpened = true;
  WorkerThreads.marker = StartThread(MarkerPollThread);
}

void StartMeterReader(HWND logging, LPTHREAD_START_ROUTINE reader) {
  SetTimer(logging, kWatchdogTimer, kWatchdogPeriodMs, nullptr);
  StampTicks();
  WorkerThreads.reader = StartThread(reader);
}

}  // namespace

bool StartRunLinks(HWND main) {
  HWND logging = AppWindows.loggingWnd;
  const bool gps = SurveySettings.gpsEnabled > 0;
  const bool gpsPort = gps && BuildConfig.gpsSimulator == 0;
  bool gpsOpened = false;
  int failures = 0;
  SurveyRun.markerOpened = false;
  if (LinkState.instrumentReaderState.load() == 0) {
    if (OpenInstrumentPort() == 1) {
      LinkState.instrumentReaderState = 1;
    } else {
      ++failures;
    }
  }
  if (gpsPort) {
    if (OpenGpsPort() == 1) {
      gpsOpened = true;
      GpsState.readerState = 1;  // the reader sets 2 while it runs
    } else {
      ++failures;
    }
  }
  if (failures > 0) {
    ReleaseStartPorts(gpsOpened);
    return false;
  }

  SurveyRun.acquisitionState = 1;
  switch (ThisModel().reader) {
    case RunReader::kRz56Mk2:
      if (!StartRz56Mk2(main, logging)) {
        ReleaseStartPorts(gpsOpened);
        return false;
      }
      break;
    case RunReader::kNone:
      break;
    case RunReader::kProbed:
      if (ProbeRecordLength() != 1) {
        ConnectionRefused(main);
        ReleaseStartPorts(gpsOpened);
        MainMenu.mode = 0;
        InvalidateRect(main, nullptr, TRUE);
        UpdateWindow(main);
        return false;
      }
      StartMeterReader(logging, InstrumentReaderThread);
      survey::DelayMs(200);
      break;
    case RunReader::kMeter:
      StartMeterReader(logging, InstrumentReaderThread);
      survey::DelayMs(200);
      break;
    case RunReader::kZol12:
      StampTicks();
      WorkerThreads.reader = StartThread(Zol12ReaderThread);
      survey::DelayMs(200);
      break;
    case RunReader::kMk2:
      StartMeterReader(logging, Rz27Mk2ReaderThread);
      StartMarkerWatcher();
      survey::DelayMs(200);
      break;
  }

  if (gps) {
    WorkerThreads.gpsRun = 1;
    WorkerThreads.gps =
        StartThread(BuildConfig.gpsSimulator == 1 ? GpsSimulatorThread : GpsReaderThread);
    survey::DelayMs(200);
  }
  return true;
}

void StopInstrumentLink(bool fileOpen) {
  ClosePort(LinkState.instrumentPort);
  if (!fileOpen) survey::DelayMs(100);
  WakeRequestReader();
  const bool ended = EndThread(WorkerThreads.reader) && EndThread(WorkerThreads.wheelReader);
  // The event goes only once no reader can wait on it any more.
  if (ended) CloseRequestEvent();
  survey::DelayMs(fileOpen ? 500 : 200);
}

void StopOtherLinks() {
  // The GPS link goes by what the run started, not by the setting: with GPS off there is neither a
  // port nor a thread, and nothing is closed.
  WorkerThreads.gpsRun = 0;
  if (BuildConfig.gpsSimulator == 0) ClosePort(LinkState.gpsPort);
  EndThread(WorkerThreads.gps);
  // Set after the thread's end, so a reader that ends later keeps it 0.
  GpsState.readerState = 0;
  if (SurveyRun.markerOpened) {
    ClosePort(LinkState.markerPort);
    EndThread(WorkerThreads.marker);
    SurveyRun.markerOpened = false;
  }
  LinkState.instrumentReaderState = 0;
}

void SwitchRz56ToWheel(HWND logging) {
  LinkState.rz56Ready = 0;
  SurveySettings.surveyModeChoice = kModeWheel;
  KillTimer(logging, kWatchdogTimer);
  ClosePort(LinkState.instrumentPort);
  WakeRequestReader();
  // The old reader may be held in its send: it is served and ends before the port reopens, so two
  // readers never share the new port.
  EndThread(WorkerThreads.reader);
  if (OpenInstrumentPort() != 1) {
    ShowNoConnection();
    return;
  }
  SendInstrumentCommand('H', 'W', 0);
  survey::DelayMs(100);
  WorkerThreads.wheelReader = StartThread(Rz56WheelReaderThread);
  survey::DelayMs(200);
}

void SwitchRz56ToRequests(HWND logging) {
  ClosePort(LinkState.instrumentPort);
  EndThread(WorkerThreads.wheelReader);
  survey::DelayMs(100);
  const bool reopened = OpenInstrumentPort() == 1;
  if (reopened) {
    SendInstrumentCommand('H', 'X', 0);
    survey::DelayMs(100);
    WorkerThreads.reader = StartThread(Rz56ReaderThread);
    survey::DelayMs(200);
  }
  SurveySettings.surveyModeChoice = kModeAuto;
  SetTimer(logging, kWatchdogTimer, kRz56PollMs, nullptr);
  LinkState.rz56Ready = 1;
  LinkState.lastRz56Tick = GetTickCount();
  if (!reopened) ShowNoConnection();
}

void Rz56TimerTick() {
  if (SurveySettings.surveyModeChoice != kModeAuto) return;  // no requests while logging in Wheel mode
  if (!RequestRz56Reading()) return;
  ShowNoConnection();
  if (SurveyRun.state.load() == kRunLogging) WriteEventRecord("$CONN BREAK", 'X');
}

void StartGpsMonitorLink() {
  if (SurveySettings.gpsEnabled <= 0) return;
  if (OpenGpsPort() == 1) WorkerThreads.gps = StartThread(GpsMonitorThread);
  survey::DelayMs(200);
}

}  // namespace desktop
