// The run's links (ports, readers, the watchdog timer and the GPS thread) come with the desktop
// serial ports and readers. Until then these stand-ins start and stop nothing and let the run go
// on, as the plain RZ56 build's start does.
#include "ui/run_start.h"

namespace desktop {

bool StartRunLinks(HWND) { return true; }

}  // namespace desktop

namespace desktop {

void StopRunLinks(bool) {}
void Rz56TimerTick() {}

}  // namespace desktop
