#include "ui/readers_pending.h"

namespace desktop::pending {

DWORD WINAPI GpsReaderThread(LPVOID) { return 0; }
DWORD WINAPI GpsSimulatorThread(LPVOID) { return 0; }

}  // namespace desktop::pending
