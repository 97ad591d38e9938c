#include "engine/gps_reader.h"

#include "engine/nmea.h"
#include "common/reader_port.h"
#include "engine/readers.h"
#include "engine/records.h"
#include "engine/state.h"

namespace handheld {

using survey::Nothing;
using survey::ReaderPort;

namespace {

// Reads lines until the port is closed.
void ReadGpsLines() {
  NmeaLineAssembler lines;
  const ReaderPort port(LinkState.gpsPort);
  port.ReadLoop(Nothing,
                [&lines](unsigned char b) {
                  if (!lines.Push(b, GetTickCount())) return true;
                  const size_t length = static_cast<size_t>(lines.Length());
                  const int verdict = NmeaChecksumVerdict(lines.Line(), length);
                  StoreGpsSentence(lines.Line(), length, verdict);
                  if (Rz27Mk2Calibration.active.load(std::memory_order_relaxed) == 0) {
                    SendMessageW(AppWindows.loggingWnd, WM_GPS_SENTENCE, 0, 0);
                  }
                  if (SurveyRun.state.load(std::memory_order_relaxed) == kRunLogging) {
                    WriteGpsRecords(lines.Line(), lines.Tick(), GpsFirstTag(verdict), GpsNextTag(verdict));
                  }
                  return true;
                },
                Nothing);
}

// Hands a line to the monitor window and has it painted before going on.
void ShowMonitorLine(const char* line, size_t length) {
  StoreGpsMonitorLine(line, length);
  InvalidateRect(AppWindows.monitorGpsWnd, nullptr, TRUE);
  UpdateWindow(AppWindows.monitorGpsWnd);
}

}  // namespace

DWORD WINAPI GpsReaderThread(LPVOID) {
  GpsState.readerState.store(1, std::memory_order_relaxed);
  ReadGpsLines();
  GpsState.readerState.store(2, std::memory_order_release);
  return 0;
}

DWORD WINAPI GpsMonitorThread(LPVOID) {
  static constexpr char kNoData[] = "NO DATA";
  NmeaLineAssembler lines;
  const ReaderPort port(LinkState.gpsPort);
  DWORD lastLine = GetTickCount();
  port.ReadLoop(
      Nothing,
      [&](unsigned char b) {
        if (lines.Push(b, GetTickCount())) {
          ShowMonitorLine(lines.Line(), static_cast<size_t>(lines.Length()));
          lastLine = GetTickCount();
        }
        return true;
      },
      [&] {
        if (GetTickCount() - lastLine > kGpsMonitorSilenceMs) {
          ShowMonitorLine(kNoData, sizeof kNoData - 1);
          lastLine = GetTickCount();
        }
      });
  return 0;
}

bool CloseGpsPortAndWaitForReader() {
  const HANDLE h = LinkState.gpsPort.exchange(INVALID_HANDLE_VALUE, std::memory_order_acq_rel);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  const DWORD start = GetTickCount();
  while (GpsState.readerState.load(std::memory_order_acquire) == 1) {
    if (GetTickCount() - start >= kGpsReaderEndWaitMs) return false;
    plat::SpinPause();
  }
  return true;
}

}  // namespace handheld
