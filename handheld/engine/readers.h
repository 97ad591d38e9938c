// The instrument reader threads: each reads its port one byte at a time, finds frames with its
// framer, keeps the latest in LinkState.frame with its tick, and on every N-th frame
// (SurveyRun.framesPerReading) sends its reading message synchronously to AppWindows.loggingWnd.
// The handler decodes LinkState.frame while the reader waits inside the send.
//
// A reader takes the port handle at its start and reads only that handle. It ends (result 0)
// when LinkState's handle is invalid or no longer its own, or when a call on its own handle fails
// because the handle was closed; a reader closed while inside its send finishes the send first.
#pragma once

#include <windows.h>

#include <cstdint>

namespace handheld {

// Private messages to the logging window, both parameters 0.
constexpr UINT WM_READING = WM_USER + 10;          // meter frame, InstrumentReaderThread
constexpr UINT WM_GPS_SENTENCE = WM_USER + 11;     // GpsReaderThread
constexpr UINT WM_ZOL12_READING = WM_USER + 12;    // Zol12ReaderThread
constexpr UINT WM_RZ27MK2_READING = WM_USER + 13;  // Rz27Mk2ReaderThread

// Models 0 to 5: meter frames ending in CR; LinkState.frameLength 12, or for model 3 what the
// probe set (7 or 12).
DWORD WINAPI InstrumentReaderThread(LPVOID arg);
// Model 6: 8-byte ZOL12 frames, read after a character event.
DWORD WINAPI Zol12ReaderThread(LPVOID arg);
// Model 7: 14-byte binary frames ending in 0xFF 0xFF. When the marker shares the instrument's
// port, the reader reads that port's modem lines into LinkState.hardMarker at every handle check.
DWORD WINAPI Rz27Mk2ReaderThread(LPVOID arg);
// Model 7 with a marker port of its own: reads its modem lines into LinkState.hardMarker at every
// CTS change.
DWORD WINAPI MarkerPollThread(LPVOID arg);

// Model 3, on the UI thread after the instrument port is open: finds whether the instrument sends
// 7-byte (72 ms) or 12-byte (91 ms) frames within 2000 ms (it blocks for up to about 4 s). On 1,
// LinkState.frameLength, .framePeriodMs, .sampleDivisor and .readingsPerSecond are set; on 0,
// frameLength is 7 and the others keep their values.
int32_t ProbeRecordLength();

}  // namespace handheld
