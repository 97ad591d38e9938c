// The instrument reader threads of the desktop program, the external marker's poll and the RZ27
// frame-length probe. (The RZ56 readers are in rz56_link.h, the GPS readers beside them.)
//
// Each instrument reader reads the instrument port one byte at a time, finds frames with its
// framer, keeps the latest in LinkState.frame (LinkState.frameLength bytes, then a NUL) with its
// tick in LinkState.lastFrameTick, and on every N-th frame (SurveyRun.framesPerReading; rejected
// meter and ZOL12 frames take their place in the cycle) sends its message (engine/messages.h)
// synchronously to AppWindows.loggingWnd, which decodes LinkState.frame while the reader waits.
//
// A reader takes the port handle at its start and reads only that handle: it ends (result 0)
// once LinkState's handle is invalid or another, or its own handle was closed; a reader closed
// while inside its send finishes the send first. It sets LinkState.instrumentReaderState to 2
// when it starts and, when it ends, to 1 only while the state is still 2: a state that the end of
// the run has set back to 0 stays 0, so the next run's start opens its port.
//
// The run start (UI thread) opens the instrument port, sets instrumentReaderState to 1, for model
// 3 calls ProbeRecordLength, sets LinkState.lastFrameTick, then creates the model's reader (no
// argument); for model 7 with a marker port of its own it opens that port and creates
// MarkerPollThread. The end of the run closes the ports and sets their fields invalid.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/messages.h"

namespace desktop {

// Models 0 to 5: meter frames ending in CR, sent with WM_READING. LinkState.frameLength is 12,
// or for model 3 what the probe set (7 or 12).
DWORD WINAPI InstrumentReaderThread(LPVOID arg);
// Model 6: 8-byte ZOL12 frames read continuously (no event waits), sent with WM_ZOL12_READING.
// A byte that fails its test, or does not come inside a frame, rejects the frame: it is counted
// and the port purged.
DWORD WINAPI Zol12ReaderThread(LPVOID arg);
// Model 7: 14-byte frames ending in 0xFF 0xFF, sent with WM_RZ27MK2_READING; 16 is added to the
// status byte while LinkState.hardMarker is above 0 and 8 while SurveyRun.softMarkerHeld is.
// When the marker setting names the instrument's port, the reader reads that port's modem lines
// into LinkState.hardMarker at every handle check.
DWORD WINAPI Rz27Mk2ReaderThread(LPVOID arg);
// Model 7 with a marker port of its own: reads the marker port's modem lines into
// LinkState.hardMarker every kMarkerPollMs while LinkState.markerPort is its port.
DWORD WINAPI MarkerPollThread(LPVOID arg);
constexpr DWORD kMarkerPollMs = 5;

// Model 3, on the UI thread after the instrument port is open: finds whether the instrument sends
// 7-byte (72 ms) or 12-byte (91 ms) frames within 2000 ms (a count under way is given its 1000
// ms). On 1, LinkState.frameLength, .framePeriodMs and .sampleDivisor are set; on 0 frameLength
// is 7 and the others keep their values. A count that is neither 7 nor 12 (a stray 'T') starts
// the search again.
int32_t ProbeRecordLength();

// The reader state of a reader that starts (2) and of one that ends (1, only while the state is
// still 2); the result is the thread's, 0. Every instrument reader, the RZ56 ones included.
void MarkReaderRunning();
DWORD MarkReaderEnded();

}  // namespace desktop
