// The GPS reader threads. Both read LinkState.gpsPort one byte at a time, cut NMEA lines with the
// NmeaLineAssembler, and end when the port is closed (the field invalid, or holding another
// handle than the one they started with).
#pragma once

#include <windows.h>

#include <cstdint>

namespace handheld {

// During a survey run: each line is judged by its checksum and stored in GpsState; the logging
// window gets WM_GPS_SENTENCE (except during the RZ27-MK2 calibration); while logging
// (SurveyRun.state 1) the line goes into the data file with the tags of its verdict.
// GpsState.readerState is 1 while it runs and 2 once it has ended.
DWORD WINAPI GpsReaderThread(LPVOID arg);

// For the GPS monitor window: each line goes into GpsState (and its wide copy) and the window is
// repainted synchronously; after more than 7000 ms without a line it shows "NO DATA", and again
// every further 7000 ms.
DWORD WINAPI GpsMonitorThread(LPVOID arg);

constexpr DWORD kGpsMonitorSilenceMs = 7000;
constexpr DWORD kGpsReaderEndWaitMs = 5000;

// The end of a run's GPS reading, on the UI thread: closes LinkState.gpsPort and sets it invalid,
// then waits, busy and without handling messages, until GpsState.readerState is no longer 1 or
// 5000 ms have passed. True when the reader was seen to end (or never ran). A reader held in its
// send to this very thread cannot end meanwhile, so the wait then runs to its limit.
bool CloseGpsPortAndWaitForReader();

}  // namespace handheld
