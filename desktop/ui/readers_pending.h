// Stand-ins for the engine's reader threads and frame probe, which are being built beside the
// windows, under their engine names in namespace desktop::pending so that nothing collides with
// the real ones. Each thread ends at once (the reader state stays 1, "port open or reader ended");
// the probe reports 12-byte frames. As each routine lands, the run's links drop the `pending::`
// and its stand-in goes.
#pragma once

#include <windows.h>

#include <cstdint>

namespace desktop::pending {

DWORD WINAPI InstrumentReaderThread(LPVOID arg);
DWORD WINAPI Zol12ReaderThread(LPVOID arg);
DWORD WINAPI Rz27Mk2ReaderThread(LPVOID arg);
DWORD WINAPI MarkerPollThread(LPVOID arg);
int32_t ProbeRecordLength();  // 1: the instrument's frames were found

DWORD WINAPI GpsReaderThread(LPVOID arg);
DWORD WINAPI GpsSimulatorThread(LPVOID arg);
DWORD WINAPI GpsMonitorThread(LPVOID arg);

}  // namespace desktop::pending
