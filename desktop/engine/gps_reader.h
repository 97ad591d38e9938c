// The GPS threads of the desktop program. The reader and the monitor reader read LinkState.gpsPort
// one byte at a time (the port's 10 ms time-outs make an empty read), cut NMEA lines with the
// shared line assembler (lines of up to 200 characters; empty lines ignored), and end once the
// field no longer holds the handle they started with: closed, or reopened for the next run. In the
// simulator build GpsSimulatorThread stands in for the port and the reader.
//
// The shared buffers (GpsState.sentence, GpsMonitor.line) keep a line's first 127 characters and a
// NUL; the data file gets the whole line.
#pragma once

#include <windows.h>

#include <cstdint>

namespace desktop {

// During a run: every line goes into GpsState (sentence and checksum verdict) and is announced
// with WM_GPS_SENTENCE, also during an RZ27-MK2 calibration; while logging (SurveyRun.state 1) it
// is written into the data file with the tags of its verdict and the tick of its '$' (a line
// without '$': the tick of its first byte). Each '$' sets GpsState.sentenceTick.
// GpsState.readerState is 2 while it runs and 1 once it has ended (unless the end of the run has
// set it to 0 meanwhile).
// When a read comes back empty more than 3000 ms after the last good sentence (the start counts as
// one) and after the last blanking, the six GpsBoxFields of the logging window are filled with
// AppWindows.brushPanel (red), through a DC of the logging window taken in this thread.
DWORD WINAPI GpsReaderThread(LPVOID arg);

// For the GPS monitor window (AppWindows.monitorGpsWnd): every line goes into GpsState.sentence
// and GpsMonitor.line, GpsState.sentenceValid is set to 1, and the window is invalidated and
// repainted before the next byte is read (a synchronous paint on the window's thread). After more
// than 7000 ms without a line, "NO DATA" goes into GpsMonitor.line only, with the same repaint,
// and again every further 7000 ms. While GpsMonitor.paused is 1 it reads nothing and checks again
// every 20 ms; the end of a pause counts as a line for the 7000 ms. No checksum, no file.
DWORD WINAPI GpsMonitorThread(LPVOID arg);

// The simulator build's GPS (started instead of opening the GPS port): while WorkerThreads.gpsRun
// is 1, once a second GpsSimulatorSentence without its last character goes into GpsState.sentence
// with GpsState.sentenceValid 1; then the GPS monitor is repainted when it is visible (its
// GpsMonitor.line gets the same text), otherwise GpsState.sentenceTick is set and WM_GPS_SENTENCE
// goes to the logging window. It writes no GPS record. Ends within 900 ms of gpsRun leaving 1.
DWORD WINAPI GpsSimulatorThread(LPVOID arg);

// A fixed position with a fix (8 satellites), 73 characters with its checksum.
inline constexpr char GpsSimulatorSentence[] =
    "$GPGGA,120000.00,4530.12345,N,07530.56789,W,1,08,1.0,100.0,M,-34.0,M,,*58";

constexpr DWORD kGpsBlankingMs = 3000;      // silence before the GPS fields turn red, and between blankings
constexpr DWORD kGpsNoDataMs = 7000;        // the monitor's silence before "NO DATA"
constexpr DWORD kGpsMonitorPausedCheckMs = 20;
constexpr DWORD kGpsSimulatorPeriodMs = 1000;
constexpr DWORD kGpsSimulatorRestMs = 850;  // the sleep after each sentence
constexpr DWORD kGpsSimulatorTurnMs = 10;   // the sleep of each turn until the next

}  // namespace desktop
