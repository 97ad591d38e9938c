#include "ui/readers_pending.h"

namespace desktop::pending {

DWORD WINAPI InstrumentReaderThread(LPVOID) { return 0; }
DWORD WINAPI Zol12ReaderThread(LPVOID) { return 0; }
DWORD WINAPI Rz27Mk2ReaderThread(LPVOID) { return 0; }
DWORD WINAPI MarkerPollThread(LPVOID) { return 0; }
int32_t ProbeRecordLength() { return 1; }

DWORD WINAPI GpsReaderThread(LPVOID) { return 0; }
DWORD WINAPI GpsSimulatorThread(LPVOID) { return 0; }
DWORD WINAPI GpsMonitorThread(LPVOID) { return 0; }

}  // namespace desktop::pending
