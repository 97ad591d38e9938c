#include "engine/gps_reader.h"

#include "common/nmea.h"
#include "common/reader_port.h"
#include "common/timing.h"
#include "engine/messages.h"
#include "engine/records.h"
#include "engine/state.h"

namespace desktop {

using survey::CopySentence;
using survey::NmeaLineAssembler;
using survey::ReaderPort;

namespace {

constexpr int32_t kGpsReaderEnded = 1;
constexpr int32_t kGpsReaderRunning = 2;

static_assert(GpsStateData::kSentenceMax == survey::kSentenceMax, "GpsState.sentence is a shared sentence buffer");
static_assert(sizeof GpsSimulatorSentence - 1 == 73, "the simulator's sentence has 73 characters");

// Fills the logging window's six GPS fields with the red brush.
void BlankGpsFields() {
  const HWND logging = AppWindows.loggingWnd;
  HDC dc = GetDC(logging);
  if (!dc) return;
  for (const RECT& r : GpsBoxFields.field) FillRect(dc, &r, AppWindows.brushPanel);
  ReleaseDC(logging, dc);
}

// Has the GPS monitor window painted before going on.
void RepaintMonitor() {
  InvalidateRect(AppWindows.monitorGpsWnd, nullptr, TRUE);
  UpdateWindow(AppWindows.monitorGpsWnd);
}

// A line for the monitor: into GpsState.sentence and GpsMonitor.line, flagged, painted.
void ShowMonitorLine(const char* line, size_t length) {
  CopySentence(GpsState.sentence, line, length);
  CopySentence(GpsMonitor.line, line, length);
  GpsState.sentenceValid.store(1, std::memory_order_release);
  RepaintMonitor();
}

// "NO DATA" goes into the monitor's line only.
void ShowNoData() {
  static constexpr char kNoData[] = "NO DATA";
  CopySentence(GpsMonitor.line, kNoData, sizeof kNoData - 1);
  GpsState.sentenceValid.store(1, std::memory_order_release);
  RepaintMonitor();
}

}  // namespace

DWORD WINAPI GpsReaderThread(LPVOID) {
  GpsState.readerState.store(kGpsReaderRunning, std::memory_order_release);
  NmeaLineAssembler lines;
  const ReaderPort port(LinkState.gpsPort);
  DWORD lastGood = GetTickCount();  // the start counts as a good sentence
  DWORD lastBlanking = lastGood;
  port.ReadLoop(
      survey::Nothing,
      [&](unsigned char b) {
        const DWORD now = GetTickCount();
        if (b == '$') GpsState.sentenceTick.store(now, std::memory_order_relaxed);
        if (!lines.Push(b, now)) return true;
        const size_t length = static_cast<size_t>(lines.Length());
        const int verdict = survey::NmeaChecksumVerdict(lines.Line(), length);
        if (verdict) lastGood = GetTickCount();
        CopySentence(GpsState.sentence, lines.Line(), length);
        GpsState.sentenceValid.store(verdict, std::memory_order_release);
        SendMessageA(AppWindows.loggingWnd, WM_GPS_SENTENCE, 0, 0);
        if (SurveyRun.state.load(std::memory_order_relaxed) == kRunLogging) {
          WriteGpsRecords(lines.Line(), lines.Tick(), survey::GpsFirstTag(verdict), survey::GpsNextTag(verdict));
        }
        return true;
      },
      [&] {
        const DWORD now = GetTickCount();
        if (now - lastGood > kGpsBlankingMs && now - lastBlanking > kGpsBlankingMs) {
          lastBlanking = now;
          BlankGpsFields();
        }
      });
  // A state that the end of the run has set to 0 meanwhile stays 0.
  int32_t running = kGpsReaderRunning;
  GpsState.readerState.compare_exchange_strong(running, kGpsReaderEnded, std::memory_order_acq_rel);
  return 0;
}

DWORD WINAPI GpsMonitorThread(LPVOID) {
  NmeaLineAssembler lines;
  const ReaderPort port(LinkState.gpsPort);
  DWORD lastLine = GetTickCount();
  bool paused = false;
  while (port.StillOurs()) {
    if (GpsMonitor.paused.load(std::memory_order_acquire) == 1) {
      paused = true;
      Sleep(kGpsMonitorPausedCheckMs);
      continue;
    }
    if (paused) {
      paused = false;
      lastLine = GetTickCount();
    }
    unsigned char b = 0;
    const int got = port.ReadByte(&b);
    if (got < 0) break;
    if (got == 1 && lines.Push(b, GetTickCount())) {
      ShowMonitorLine(lines.Line(), static_cast<size_t>(lines.Length()));
      lastLine = GetTickCount();
    }
    if (GetTickCount() - lastLine > kGpsNoDataMs) {
      ShowNoData();
      lastLine = GetTickCount();
    }
  }
  return 0;
}

DWORD WINAPI GpsSimulatorThread(LPVOID) {
  static constexpr size_t kShown = sizeof GpsSimulatorSentence - 2;  // without the last checksum digit
  DWORD last = GetTickCount();
  survey::DelayMs(5);
  while (WorkerThreads.gpsRun.load(std::memory_order_acquire) == 1) {
    if (GetTickCount() - last < kGpsSimulatorPeriodMs) {
      Sleep(kGpsSimulatorTurnMs);
      continue;
    }
    last = GetTickCount();
    CopySentence(GpsState.sentence, GpsSimulatorSentence, kShown);
    GpsState.sentenceValid.store(1, std::memory_order_release);
    if (IsWindowVisible(AppWindows.monitorGpsWnd)) {
      // The monitor's paint lists GpsMonitor.line: it gets the sentence too.
      CopySentence(GpsMonitor.line, GpsSimulatorSentence, kShown);
      RepaintMonitor();
    } else {
      GpsState.sentenceTick.store(GetTickCount(), std::memory_order_relaxed);
      SendMessageA(AppWindows.loggingWnd, WM_GPS_SENTENCE, 0, 0);
    }
    Sleep(kGpsSimulatorRestMs);
  }
  return 0;
}

}  // namespace desktop
