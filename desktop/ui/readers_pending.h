// Stand-ins for the engine's GPS threads, which are being built beside the windows, under their
// engine names in namespace desktop::pending so that nothing collides with the real ones. Each
// thread ends at once. As each routine lands, the run's links drop the `pending::` and its
// stand-in goes.
#pragma once

#include <windows.h>

namespace desktop::pending {

DWORD WINAPI GpsReaderThread(LPVOID arg);
DWORD WINAPI GpsSimulatorThread(LPVOID arg);

}  // namespace desktop::pending
